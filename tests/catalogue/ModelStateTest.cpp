// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "catalogue/ModelState.h"
#include "tests/support/TempSettings.h"

namespace {

using kv::AddressSpinner;
using kv::ModelState;

class ModelStateTest : public ::testing::Test {
protected:
    QString storedModel() const {
        return store.read(QStringLiteral("芯片"), QStringLiteral("型号"));
    }
    // Keystroke by keystroke, as the box reports each edit.
    static void type(AddressSpinner& box, const QString& text) {
        for (int i = 1; i <= text.size(); ++i) {
            box.setText(text.left(i));
        }
    }

    kv::test::TempSettings store{QStringLiteral("测试V2.0.0　　　　")};
    ModelState state{&store};
};

TEST_F(ModelStateTest, UnlistedNamesSelectAndStoreAtmega8) {
    EXPECT_FALSE(state.hasSelection());
    EXPECT_EQ(state.selectionCaption(), "AT");
    for (const QString& name : {QStringLiteral("atmega8"), QStringLiteral("ATMEGA8 "), QString()}) {
        state.selectModel(QStringLiteral("ATMEGA16"));
        ASSERT_EQ(storedModel(), "ATMEGA16");
        state.selectModel(name);
        EXPECT_EQ(state.selectedModelName(), "ATMEGA8") << name.toStdString();
        EXPECT_EQ(storedModel(), "ATMEGA8");
        EXPECT_EQ(state.selectionCaption(), "ATMEGA8");
    }
    EXPECT_EQ(state.mcuTypesText(),
              QStringLiteral(" ATMEGA8\u3000FLASH:8192\u3000EEPROM:512\u3000ID:1E9307"));
    EXPECT_EQ(state.flashCalibrationAddress().text(), "8191");
    EXPECT_EQ(state.eepromCalibrationAddress().text(), "511");
}

TEST_F(ModelStateTest, Attiny26SetsSizesAndAddresses) {
    int changes = 0;
    QObject::connect(&state, &ModelState::changed, [&] { ++changes; });
    state.selectModel(QStringLiteral("ATTINY26"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(state.flashSize(), 2048);
    EXPECT_EQ(state.eepromSize(), 128);
    EXPECT_EQ(state.flashPageWords(), 16);
    EXPECT_EQ(state.modelSignature(), "1E9109");
    EXPECT_EQ(state.flashCalibrationAddress().text(), "2047");
    EXPECT_EQ(state.eepromCalibrationAddress().text(), "127");
    EXPECT_EQ(state.singleAccessAddress(0).text(), "1023");
    EXPECT_EQ(state.singleAccessAddress(1).text(), "127");
    EXPECT_EQ(state.singleAccessAddress(0).minimum(), -1023);
    EXPECT_EQ(state.singleAccessAddress(1).minimum(), -127);
    EXPECT_EQ(state.flashCalibrationAddress().value(), -2047);
    EXPECT_EQ(state.eepromCalibrationAddress().value(), -127);
}

TEST_F(ModelStateTest, Atmega32UsesTheWholeSpinnerRangeThenShrinks) {
    state.selectModel(QStringLiteral("ATMEGA32"));
    EXPECT_EQ(state.singleAccessAddress(0).text(), "16383");
    EXPECT_EQ(state.flashCalibrationAddress().minimum(), -32767);
    EXPECT_EQ(state.flashCalibrationAddress().value(), -32767);
    EXPECT_EQ(state.eepromCalibrationAddress().minimum(), -1023);

    // A smaller model pulls every pair back into its range.
    state.selectModel(QStringLiteral("ATMEGA48"));
    for (AddressSpinner* box : {&state.flashCalibrationAddress(), &state.eepromCalibrationAddress(),
                                &state.singleAccessAddress(0), &state.singleAccessAddress(1)}) {
        EXPECT_EQ(box->value(), box->minimum());
        EXPECT_EQ(box->text(), QString::number(box->largestAddress()));
    }
    EXPECT_EQ(state.flashCalibrationAddress().largestAddress(), 4095);
    EXPECT_EQ(state.singleAccessAddress(0).largestAddress(), 2047);
}

TEST_F(ModelStateTest, BoxEditsAreLimitedToTheLargestAddress) {
    state.selectModel(QStringLiteral("ATMEGA8"));
    AddressSpinner& flash = state.flashCalibrationAddress();
    flash.setText(QStringLiteral("100"));
    EXPECT_EQ(flash.value(), -100);
    type(flash, QStringLiteral("9000"));
    EXPECT_EQ(flash.text(), "8191");
    EXPECT_EQ(flash.value(), -8191);
    flash.setText(QStringLiteral("99999999999999999999"));
    EXPECT_EQ(flash.text(), "8191");

    // The stored default "8191" on an ATMEGA48 becomes 4095.
    state.selectModel(QStringLiteral("ATMEGA48"));
    flash.setText(QStringLiteral("8191"));
    EXPECT_EQ(flash.text(), "4095");
    EXPECT_EQ(flash.value(), -4095);
}

TEST_F(ModelStateTest, TypedLetterStaysForTheDigitCheck) {
    state.selectModel(QStringLiteral("ATMEGA8"));
    AddressSpinner& flash = state.flashCalibrationAddress();
    type(flash, QStringLiteral("81a1"));
    EXPECT_EQ(flash.text(), "81a1");
    EXPECT_EQ(flash.value(), -81);
    EXPECT_EQ(flash.number(), 81);

    // Pasted at once, the spinner moves and the box shows the clean number.
    flash.setText(QStringLiteral("8191"));
    flash.setText(QStringLiteral("81a1"));
    EXPECT_EQ(flash.text(), "81");
    flash.setText(QStringLiteral(" 12"));
    EXPECT_EQ(flash.text(), "12");
    EXPECT_EQ(flash.value(), -12);
}

TEST_F(ModelStateTest, EmptyAndNegativeBoxesMeanAddressZero) {
    state.selectModel(QStringLiteral("ATMEGA8"));
    AddressSpinner& eeprom = state.eepromCalibrationAddress();
    eeprom.setText(QString());
    EXPECT_EQ(eeprom.value(), 0);
    EXPECT_EQ(eeprom.text(), "0");
    eeprom.setText(QStringLiteral("-5"));  // the spinner is already at 0
    EXPECT_EQ(eeprom.value(), 0);
    EXPECT_EQ(eeprom.text(), "-5");
    eeprom.setText(QStringLiteral("30"));
    eeprom.setText(QStringLiteral("-9223372036854775808"));
    EXPECT_EQ(eeprom.value(), 0);
    EXPECT_EQ(eeprom.text(), "0");
}

TEST_F(ModelStateTest, SpinnerMovesShowTheAddressWithinRange) {
    state.selectModel(QStringLiteral("ATMEGA8"));
    AddressSpinner& word = state.singleAccessAddress(0);
    int changes = 0;
    QObject::connect(&word, &AddressSpinner::changed, [&] { ++changes; });
    word.setValue(-10);
    EXPECT_EQ(word.text(), "10");
    word.setValue(-10);
    EXPECT_EQ(changes, 1);
    word.setValue(-5000);
    EXPECT_EQ(word.value(), -4095);
    EXPECT_EQ(word.text(), "4095");
    word.setValue(7);
    EXPECT_EQ(word.value(), 0);
    EXPECT_EQ(word.text(), "0");
    // A spinner that does not move leaves the box as typed.
    word.setText(QStringLiteral("0x"));
    word.setValue(0);
    EXPECT_EQ(word.text(), "0x");
}

}  // namespace
