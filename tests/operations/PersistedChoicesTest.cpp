// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "catalogue/ModelState.h"
#include "operations/CalibrationState.h"
#include "operations/ProgramOptions.h"
#include "tests/support/TempSettings.h"

namespace kv {
namespace {

const QString kApp = QStringLiteral("KELVARO V2.0.0　　　　");

TEST(ProgramOptions, TenDigitTextOnly) {
    ProgramOptions options;
    EXPECT_EQ(options.toText(), "1000000000");
    EXPECT_TRUE(options.setFromText("1100000000"));
    EXPECT_TRUE(options.isOn(ProgramOptions::ProgramFlash));
    EXPECT_FALSE(options.isOn(ProgramOptions::ProgramEeprom));
    for (const QString bad : {"11000", "11000000000", "1100000003", "110000000x"}) {
        EXPECT_FALSE(options.setFromText(bad)) << bad.toStdString();
    }
    EXPECT_EQ(options.toText(), "1100000000");
    EXPECT_TRUE(options.setOptionValue(5, 2));
    EXPECT_FALSE(options.isOn(5));
    EXPECT_FALSE(options.setOptionValue(5, 3));
    EXPECT_EQ(options.optionValue(5), 2);
}

TEST(ProgramOptions, SurvivesTheSettingsStore) {
    test::TempSettings store(kApp);
    ProgramOptions saved;
    saved.setFromText("0120000001");
    ASSERT_TRUE(saved.store(store));
    EXPECT_EQ(store.read(QStringLiteral("编程选项"), QStringLiteral("设置")), "0120000001");
    ProgramOptions restored;
    int changes = 0;
    QObject::connect(&restored, &ProgramOptions::changed, [&] { ++changes; });
    restored.restore(store);
    EXPECT_EQ(restored.values(), saved.values());
    EXPECT_EQ(changes, 1);
}

TEST(CalibrationState, RestoresDefaultsFromAnEmptyStore) {
    test::TempSettings store(kApp);
    ModelState model;
    model.selectModel("ATMEGA48");
    CalibrationState state;
    state.restore(store, model);
    EXPECT_EQ(state.selectedSlot(), 0);
    EXPECT_EQ(state.selectedTarget(), CalibrationState::kTargetFlash);
    EXPECT_EQ(model.flashCalibrationAddress().text(), "4095");  // 8191 is beyond an ATMEGA48
    EXPECT_EQ(model.flashCalibrationAddress().value(), -4095);
    EXPECT_EQ(model.eepromCalibrationAddress().text(), "255");
}

TEST(CalibrationState, StoresOnlyWhatIsSelected) {
    test::TempSettings store(kApp);
    const QString section = QStringLiteral("校准");
    ASSERT_TRUE(store.write(section, "HZ", " 3"));
    ASSERT_TRUE(store.write(section, "FE", " 7"));
    ASSERT_TRUE(store.write(section, "FLASH", "100"));
    ModelState model;
    model.selectModel("ATMEGA8");
    CalibrationState state;
    state.restore(store, model);
    EXPECT_EQ(state.selectedSlot(), 3);
    EXPECT_FALSE(state.selectedTarget().has_value());  // " 7" selects nothing
    EXPECT_EQ(model.flashCalibrationAddress().value(), -100);

    state.setSelectedSlot(std::nullopt);
    state.setSelectedTarget(CalibrationState::kTargetEeprom);
    ASSERT_TRUE(state.store(store, model));
    EXPECT_EQ(store.read(section, "HZ"), " 3");
    EXPECT_EQ(store.read(section, "FE"), " 1");
    EXPECT_EQ(store.read(section, "EEPROM"), "511");
}

}  // namespace
}  // namespace kv
