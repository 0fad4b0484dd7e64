// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <functional>

#include "pass/PassRecordRow.h"
#include "pass/PassRunner.h"
#include "tests/support/SimRig.h"

namespace kv {
namespace {

// A pass's outcome, its record row and what it tells a front end before it
// runs, for plans that went wrong in production: each row is one plan.
struct PassCase {
    const char* name;
    std::function<void(PassPlan&, sim::FaultPlan&)> arrange;
    bool problems;        // the plan is refused before anything is sent
    const char* failure;  // the outcome's failure, as the row's end reason starts
    const char* logged;   // a log line the window shows for it; "" for none
};

PassPlan basePlan() {
    PassPlan plan;
    plan.model = QStringLiteral("ATMEGA8");
    plan.geometry = {8192, 512, 32};
    plan.expectedSignature = QStringLiteral("1E9307");
    plan.erase = true;
    plan.flash = ImagePlan::fromBytes(QByteArray(100, char(0x5A)), QStringLiteral("app.hex"));
    plan.writeFlash = plan.verifyFlash = true;
    return plan;
}

TEST(PassRunner, EveryFailureIsTheOutcomesAndTheRowsAlike) {
    const PassCase cases[] = {
        {"a good pass", [](PassPlan&, sim::FaultPlan&) {}, false, nullptr, ""},
        {"an empty image is written and verified as nothing",
         [](PassPlan& plan, sim::FaultPlan&) { plan.flash = ImagePlan::fromBytes({}); }, true,
         "write flash: nothing written", "FLASH缓冲区无数据！"},
        {"a serial number the programmer does not confirm",
         [](PassPlan& plan, sim::FaultPlan& faults) {
             plan.serial = SerialPlan{QStringLiteral("line"), 7, MemoryKind::Eeprom, 16,
                                      QByteArray("\x00\x07", 2)};
             faults.dropWriteAcksAfter = 0;
         },
         false, "serial: not acknowledged", "编程器无反应!"},
        {"fuse cells that are not set send nothing",
         [](PassPlan& plan, sim::FaultPlan&) {
             plan.writeFuses = true;
             plan.fusesRefusal = QStringLiteral("cells not set");
         },
         true, "fuses: nothing sent: cells not set", "cells not set"},
        {"a chip of another model",
         [](PassPlan& plan, sim::FaultPlan&) { plan.expectedSignature = QStringLiteral("1E9403"); },
         false, "signature: ", "标识字与所选芯片不符!"},
    };
    for (const PassCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::SimRig rig;
        PassPlan plan = basePlan();
        c.arrange(plan, rig.device.faults());
        EXPECT_EQ(!plan.problems().isEmpty(), c.problems);
        const PassOutcome outcome = PassRunner(rig.programmer, rig.clock).run(plan);
        PassRecord row;
        fillPassRecord(row, plan, outcome);
        QStringList failed;
        for (const RecordStep& step : row.steps) {
            if (step.result == u"fail")
                failed << step.name;
        }
        if (!c.failure) {
            EXPECT_TRUE(outcome.passed()) << outcome.failure().value_or("").toStdString();
            EXPECT_TRUE(failed.isEmpty());
        } else {
            EXPECT_FALSE(outcome.passed());
            EXPECT_TRUE(outcome.failure().value_or("").startsWith(QString::fromUtf8(c.failure)))
                << outcome.failure().value_or("").toStdString();
            EXPECT_FALSE(failed.isEmpty());
        }
        if (*c.logged)
            EXPECT_TRUE(rig.log.contains(QString::fromUtf8(c.logged)))
                << rig.log.join('|').toStdString();
        if (plan.serial) {
            EXPECT_FALSE(row.serial.has_value());
            EXPECT_EQ(row.spoiledSerial, 7);
        }
    }
}

}  // namespace
}  // namespace kv
