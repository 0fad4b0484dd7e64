// SPDX-License-Identifier: MIT
#include "cli/CommandRun.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTime>
#include <chrono>
#include <climits>
#include <csignal>

#include "app/MessageLog.h"
#include "app/SerialFile.h"
#include "app/ShellTexts.h"
#include "catalogue/ChipModelTable.h"
#include "catalogue/SignatureReader.h"
#include "cli/CliRecordPolicy.h"
#include "core/HexDigits.h"
#include "core/LeadingNumber.h"
#include "pass/PassRunner.h"
#include "pass/ProgrammerKinds.h"
#include "programmer/SerialProgrammer.h"
#include "record/RecordDatabase.h"
#include "settings/SettingsKeys.h"

namespace kv::cli {

namespace {

// How long a write waits for the programmer's "!" here (the window: 100 ms).
constexpr int kAcknowledgementLimitMs = 1000;

using SettingsKeys::kLineSettings;
using SettingsKeys::kPort;
using SettingsKeys::kPortNumber;

QString memoryStep(MemoryKind memory) {
    return memory == MemoryKind::Flash ? QStringLiteral("flash") : QStringLiteral("eeprom");
}

}  // namespace

CommandRun::CommandRun(const CliRequest& request, CliReport& report, const Paths& paths)
    : m_request(request),
      m_report(report),
      m_paths(paths),
      m_settings(ShellTexts::appTitle(), paths.settingsFolder),
      m_portMap(&m_settings.store()),
      m_serial(m_portMap),
      m_port(m_serial) {
    m_prompts.onWarning = [this](const QString& text) { m_report.warning(text); };
    if (m_request.verbose) {
        m_port.onTraffic = [this](bool sent, const QByteArray& bytes) {
            m_report.traffic(sent, bytes);
        };
    }
    // For the benchmark: when the first byte went out, on the machine's
    // monotonic clock, which another process can compare with its own.
    if (qEnvironmentVariableIsSet("KV_CLI_TIMING")) {
        m_port.onFirstWrite = [this] {
            m_findings.insert(QStringLiteral("firstByteUs"),
                              qint64(std::chrono::duration_cast<std::chrono::microseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count()));
        };
    }
}

CommandRun::~CommandRun() {
    m_programmer.reset();
    m_link.reset();
    m_port.setOpen(false);
    RecordDatabase::setClock(nullptr);
}

void CommandRun::findAll(const QJsonObject& values) {
    for (auto it = values.begin(); it != values.end(); ++it)
        m_findings.insert(it.key(), it.value());
}

void CommandRun::log(const QString& text) {
    m_report.log(text, MessageLog::stampLine(QTime::currentTime()).trimmed());
    if (m_record)
        m_record->log(text);
}

void CommandRun::takeEvent(const ProgrammerEvent& event) {
    switch (event.kind) {
        case ProgrammerEvent::Kind::Progress:
            m_tally.take(event);
            if (event.memory)
                m_report.progress(memoryStep(*event.memory), event.percent, 100);
            break;
        case ProgrammerEvent::Kind::Reply:
        case ProgrammerEvent::Kind::Note:
        case ProgrammerEvent::Kind::Problem:
            log(event.text);
            break;
        case ProgrammerEvent::Kind::StepDone:
            break;
    }
}

int CommandRun::run() {
    const qint64 startMs = m_clock.nowMs();
    // Every record operation of this command shares one deadline.
    RecordDatabase::setClock(&m_clock);
    const RecordDatabase::CommandScope recordDeadline;
    Ending ending = Ending::Done;
    try {
        m_request.unit->invoke(*this);
        // A command that ends with the port closed under it did not end well.
        if (m_link && !m_port.isOpen()) {
            m_findings.insert(QStringLiteral("portLost"), true);
            end(Ending::Programmer, QCoreApplication::translate("CliRunner", "端口已关闭。"));
        }
    } catch (const CommandEnd& end) {
        ending = end.ending;
        m_message = end.message;
    } catch (const OperationError& error) {
        const CommandEnd end = endOf(error);
        ending = end.ending;
        m_message = end.message;
    }
    // The line went away under the command: unplugged, or the device vanished.
    if (m_link && !m_port.isOpen() && ending == Ending::Programmer &&
        !m_findings.contains(QStringLiteral("portBusy")))
        m_findings.insert(QStringLiteral("portLost"), true);
    // A stop that came once the chip had passed (while its row was being
    // written) changes nothing: the exit code says what the row says.
    if (StopSignal::requested() && !(m_record && m_record->result() == u"pass")) {
        ending = Ending::Stopped;
        reportStop();
    }
    if (m_record && m_record->id() != 0)
        m_findings.insert(QStringLiteral("record"), m_record->id());
    if (m_record && m_record->lost()) {
        // The chip was written and its row is nowhere: the line must set the
        // chip aside by these two.
        const CliRecord::Lost& lost = *m_record->lost();
        m_findings.insert(QStringLiteral("recordLost"), true);
        m_findings.insert(QStringLiteral("passUid"), lost.passUid);
        m_findings.insert(QStringLiteral("serial"),
                          lost.serial ? QJsonValue(*lost.serial) : QJsonValue());
    }
    if (m_record && m_record->pending()) {
        // The chip is done; only its record waits. A command that failed
        // keeps its own ending, the chip being what the line must act on.
        m_findings.insert(QStringLiteral("recordPending"), true);
        if (ending == Ending::Done) {
            ending = Ending::RecordPending;
            m_message = *m_record->pending();
        } else {
            log(*m_record->pending());
        }
    }
    m_port.setOpen(false);
    const int code = exitCodeOf(ending);
    m_report.result(code, m_message, m_findings, code == kExitDone ? m_human : QString());
    // A command that talked to a programmer says how long it took.
    if (m_link)
        m_report.elapsed(m_clock.nowMs() - startMs);
    return code;
}

// What was done when a signal stopped the command: the bytes that went out,
// and of each memory it wrote only what the programmer confirmed.
void CommandRun::reportStop() {
    m_findings.insert(QStringLiteral("interrupted"), true);
    m_findings.insert(QStringLiteral("reason"), QStringLiteral("stopped"));
    m_findings.insert(QStringLiteral("signal"), StopSignal::signalName());
    m_findings.insert(QStringLiteral("bytesSent"), m_port.bytesSent());
    QString done =
        QCoreApplication::translate("CliRunner", "已向编程器发送%1字节").arg(m_port.bytesSent());
    QList<MemoryKind> touched;
    for (const MemoryKind memory : {MemoryKind::Flash, MemoryKind::Eeprom}) {
        if (!m_tally.touched(memory))
            continue;
        touched << memory;
        m_findings.insert(memoryStep(memory) + QStringLiteral("Progress"), m_tally.percent(memory));
        m_findings.insert(memoryStep(memory) + QStringLiteral("Confirmed"),
                          m_tally.confirmed(memory));
    }
    if (touched.size() == 2) {
        done += QCoreApplication::translate("CliRunner", "（FLASH进度%1%，EEPROM进度%2%）")
                    .arg(m_tally.percent(MemoryKind::Flash))
                    .arg(m_tally.percent(MemoryKind::Eeprom));
    } else if (touched.size() == 1) {
        done += QCoreApplication::translate("CliRunner", "（%1进度%2%）")
                    .arg(memoryName(touched.first()))
                    .arg(m_tally.percent(touched.first()));
    }
    const QString how = StopSignal::signalNumber() == SIGINT
                            ? QCoreApplication::translate("CliRunner", "已按 Ctrl-C 停止")
                            : QCoreApplication::translate("CliRunner", "收到信号 %1 后停止")
                                  .arg(StopSignal::signalName());
    m_message = QCoreApplication::translate("CliRunner",
                                            "%3：%1 没有做完。%2，停在两次交换之间，"
                                            "FLASH只含整页；未做的步骤没有执行。端口已关闭。")
                    .arg(m_request.command, done, how);
}

void CommandRun::openLine() {
    SettingsStore& store = m_settings.store();
    QString line = store.read(kPort, kLineSettings);
    if (line.isEmpty())
        line = SettingsKeys::defaultLineSettings();
    if (!m_request.baud.isEmpty()) {
        QStringList fields = line.split(u',');
        fields[0] = m_request.baud;
        line = fields.join(u',');
    }
    int number = 0;
    static const QRegularExpression comPattern(QStringLiteral("^COM(\\d+)$"),
                                               QRegularExpression::CaseInsensitiveOption);
    const auto com = comPattern.match(m_request.port.trimmed());
    if (com.hasMatch()) {
        number = com.captured(1).toInt();
    } else if (!m_request.port.isEmpty()) {
        // A device path stands behind COM1 for this run only.
        m_portMap.setDevicePath(1, m_request.port);
        number = 1;
    } else {
        const QString stored = store.read(kPort, kPortNumber);
        if (!stored.isEmpty())
            number = int(std::clamp<qint64>(leadingNumber(stored), -32768, 32767));
    }
    // The first thing wrong with the stored set-up is the likely cause when
    // the port does not open.
    std::optional<OperationError> problem;
    const auto attempt = [&problem](const std::function<void()>& step) {
        try {
            step();
        } catch (const OperationError& e) {
            if (!problem)
                problem = e;
        }
    };
    attempt([&] { m_port.setSettings(line); });
    if (number != 0)
        attempt([&] { m_port.setPortNumber(number); });
    const QString handshaking = store.read(kPort, SettingsKeys::kHandshaking);
    if (!handshaking.isEmpty()) {
        attempt([&] {
            m_port.setHandshaking(
                int(std::clamp<qint64>(leadingNumber(handshaking), INT_MIN, INT_MAX)));
        });
    }
    try {
        m_port.setOpen(true);
    } catch (const OperationError& e) {
        // Busy is not lost: the operator frees the port rather than checking the cable.
        const bool busy = e.kind() == ErrorKind::PortBusy;
        m_findings.insert(busy ? QStringLiteral("portBusy") : QStringLiteral("portLost"), true);
        end(Ending::Programmer, problem ? problem->text() : e.text());
    }
    if (!m_port.isOpen()) {
        m_findings.insert(QStringLiteral("portLost"), true);
        end(Ending::Programmer, QCoreApplication::translate("CliRunner", "端口未能打开。"));
    }
}

void CommandRun::openPort() {
    std::unique_ptr<PassRecorder> recorder;
    if (m_request.changesChip()) {
        const RecordPolicy policy = recordPolicyOf(m_request, m_settings.store());
        if (m_request.noRecord) {
            // A line that must record decides that in the window's settings, not per run.
            if (!policy.allowUnrecorded) {
                end(Ending::Usage, QCoreApplication::translate(
                                       "CliRecordCommands",
                                       "--no-record 需要窗口设置中允许无记录编程（[%1] %2=1）。")
                                       .arg(RecordPolicy::section(), RecordPolicy::allowKey()));
            }
            m_report.note(QCoreApplication::translate("CliRecordCommands",
                                                      "按 --no-record，本次编程不作记录。"));
        } else {
            recorder = std::make_unique<PassRecorder>(
                policy, m_clock, [] { return QDateTime::currentDateTimeUtc(); });
            recorder->setContext(gangContext());
            if (m_request.unit->name == u"run")
                recorder->setSchemeFile(m_request.file);
        }
    }
    m_record = std::make_unique<CliRecord>(std::move(recorder));
    try {
        if (!m_request.serialFile.isEmpty()) {
            m_serialSource = m_request.serialFile;
            m_serialScheme = SerialFile::load(m_request.serialFile);
        } else if (m_request.unit->name == u"run") {
            m_serialSource = SerialFile::besideScheme(m_request.file);
            m_serialScheme = SerialFile::loadBeside(m_request.file);
        }
    } catch (const OperationError& e) {
        end(Ending::File, e.text());
    }

    openLine();
    const qint64 openedMs = m_clock.nowMs();
    m_link = std::make_unique<ProgrammerLink>(m_port, m_clock, m_pump,
                                              [this](const QString& text) { log(text); });
    // Nobody watches a command line byte by byte, and on a loaded machine a
    // write's "!" can come later than the window's 100 ms: a late one would
    // be counted for the next byte (see ProgrammerLink::waitForAcknowledgement).
    m_link->setAcknowledgementLimitMs(kAcknowledgementLimitMs);
    // The kind was checked when the line was parsed.
    m_programmer = findProgrammerKind(m_request.programmer)->make(*m_link);
    m_programmer->setEventSink([this](const ProgrammerEvent& event) { takeEvent(event); });
    m_link->discardInput();
    // The record opens while the line is watched for quiet: a record that
    // cannot be kept still ends the command before anything is sent.
    m_record->admit(m_serialScheme.has_value());
    for (const QString& note : m_record->spoolNotes())
        m_report.note(note);
    // A command cut off before this run (a read stopped by Ctrl-C) may still
    // be answered: its rest must not pass for this run's replies. A pause of
    // a few characters' time means the programmer has finished; the time
    // the record took counts, when nothing came meanwhile.
    int quietMs = kQuietMs;
    if (m_port.waitForReadyRead(0))
        m_port.readAll();
    else
        quietMs = int(qMax<qint64>(0, kQuietMs - (m_clock.nowMs() - openedMs)));
    if (quietMs > 0 && !m_link->drainUntilQuiet(quietMs, kDrainLimitMs)) {
        end(Ending::Programmer,
            QCoreApplication::translate("CliRunner",
                                        "编程器仍在发送上一条命令的数据：请等几秒再试，"
                                        "或拔下编程器再插上。"));
    }
}

void CommandRun::setModel(const ChipModel& model) {
    m_model = &model;
    m_programmer->setGeometry({model.flashSize, model.eepromSize, model.pageWords});
}

const ChipModel& CommandRun::identify() {
    const QString signature = m_programmer->identify(SignatureRead::AfterVendorSettled);
    switch (signatureShape(signature)) {
        case SignatureShape::Missing:
            end(Ending::Programmer,
                QCoreApplication::translate("CliChipCommands", "编程器无反应：读不到标识字。"));
        case SignatureShape::Garbled:
            throw garbledSignature(signature);
        case SignatureShape::Whole:
            break;
    }
    m_findings.insert(QStringLiteral("signature"), signature);
    const ChipModel* model = ChipModelTable::find(modelFromSignature(signature));
    if (!model) {
        end(Ending::ChipDisagrees,
            QCoreApplication::translate("CliChipCommands", "插座中的芯片（标识字%1）不在型号表中。")
                .arg(signature));
    }
    m_signature = signature;
    m_findings.insert(QStringLiteral("model"), model->name);
    m_report.event(QStringLiteral("chip"), {{"signature", signature}, {"model", model->name}});
    if (!m_request.model.isEmpty() && m_request.model != model->name) {
        end(Ending::ChipDisagrees,
            QCoreApplication::translate(
                "CliChipCommands",
                "插座中的芯片是%1（标识字%2），与 --model %3 不符，未做任何操作。")
                .arg(model->name, signature, m_request.model));
    }
    setModel(*model);
    return *model;
}

QString CommandRun::portText() const {
    return m_request.port.isEmpty() ? QStringLiteral("COM%1").arg(m_port.portNumber())
                                    : m_request.port;
}

void CommandRun::numberPass(const PassPlan& plan) {
    if (!m_serialScheme)
        return;
    const qint64 size = m_serialScheme->target == SerialScheme::Target::Flash
                            ? plan.geometry.flashSize
                            : qint64(plan.geometry.eepromSize);
    if (const auto problem = SerialFile::placementProblem(*m_serialScheme, size, m_serialSource))
        end(Ending::File, *problem);
    m_record->numberFrom(*m_serialScheme);
}

void CommandRun::beginRecord() {
    m_record->begin(portText(), m_portMap.devicePath(m_port.portNumber()),
                    m_model ? m_model->name : QString(), m_signature);
}

}  // namespace kv::cli

namespace kv::cli {

namespace {

// The first thing the pass found that ends the command well short of done,
// in the order a person acts on it: the cable before the chip.
std::optional<CommandEnd> passEnding(const PassPlan& plan, const PassOutcome& pass,
                                     const ChipModel& model, QJsonObject& findings) {
    if (pass.signature && !pass.signature->isEmpty())
        findings.insert(QStringLiteral("signature"), *pass.signature);
    // The cable, not the chip: no step may be blamed on the chip it never reached.
    if (pass.silent())
        return noAnswer();
    // A reply of the wrong shape is the line's fault, not the chip's.
    if (const StepOutcome* step = pass.step(PassStep::Signature); step && step->garbled)
        return garbledSignature(step->signature.value_or(QString()));
    if (pass.signatureRejected) {
        return CommandEnd{
            Ending::ChipDisagrees,
            QCoreApplication::translate("CliChipCommands", "标识字与所选型号%1不符，编程未进行。")
                .arg(model.name)};
    }
    std::optional<CommandEnd> first;
    for (const StepOutcome& step : pass.steps) {
        if (!step.verify || !step.verify->ran())
            continue;
        const VerifyOutcome& verify = *step.verify;
        const QString memory = memoryName(verify.memory).toLower();
        findings.insert(memory + QStringLiteral("Verified"), verify.passed());
        if (first)
            continue;
        first = endOf(verify);
        if (verify.result == VerifyOutcome::Result::ReadIncomplete) {
            findings.insert(QStringLiteral("memory"), memory);
            findings.insert(QStringLiteral("readStoppedAt"), verify.read.stoppedAt());
        } else if (verify.result == VerifyOutcome::Result::Differs) {
            findings.insert(QStringLiteral("memory"), memory);
            findings.insert(QStringLiteral("address"), verify.firstDifference);
        }
    }
    for (const StepOutcome& step : pass.steps) {
        if (!first && step.write)
            first = endOf(*step.write);
    }
    if (first)
        return first;
    // The fuse and lock bytes as the record's read-back found them.
    if (const StepOutcome* step = pass.step(PassStep::Fuses); step && step->readBackFault) {
        const QString sent = SerialProgrammer::fuseField(plan.fuses);
        const QString read =
            pass.fuseReadBack && pass.fuseReadBack->valid()
                ? SerialProgrammer::fuseField(pass.fuseReadBack->fuses(plan.extendedFuse))
                : QString();
        return CommandEnd{
            Ending::ChipDisagrees,
            QCoreApplication::translate("CliFuseCommands", "熔丝位未得到确认：写入%1，读回%2。")
                .arg(sent, read)};
    }
    if (const StepOutcome* step = pass.step(PassStep::Lock); step && step->readBackFault) {
        const QString read = pass.fuseReadBack && pass.fuseReadBack->valid()
                                 ? pass.fuseReadBack->digits.left(2)
                                 : QString();
        return CommandEnd{
            Ending::ChipDisagrees,
            QCoreApplication::translate("CliFuseCommands", "锁定位未得到确认：写入%1，读回%2。")
                .arg(hexField(plan.lock, 2), read)};
    }
    // Every other step that did not pass: the calibration byte, the serial
    // number, a step that had nothing to send.
    for (const StepOutcome& step : pass.steps) {
        if (const std::optional<CommandEnd> end = endOf(step))
            return end;
    }
    return std::nullopt;
}

}  // namespace

PassOutcome CommandRun::runPlan(PassPlan plan, bool numbered) {
    // Nothing is sent for a plan that says it writes what it does not have.
    for (const MemoryKind memory : {MemoryKind::Flash, MemoryKind::Eeprom}) {
        const bool flash = memory == MemoryKind::Flash;
        const bool chosen =
            flash ? plan.writeFlash || plan.verifyFlash : plan.writeEeprom || plan.verifyEeprom;
        const ImagePlan& image = plan.image(memory);
        if (chosen && image.isEmpty()) {
            end(Ending::File,
                QCoreApplication::translate("CliChipCommands",
                                            "%1没有可写入的数据（“%2”为空），未做任何操作。")
                    .arg(memoryName(memory), image.source));
        }
    }
    if (const QStringList problems = plan.problems(); !problems.isEmpty())
        end(Ending::File, problems.first());
    setModel(*ChipModelTable::find(plan.model));
    if (numbered)
        numberPass(plan);
    beginRecord();
    if (numbered && m_record->serial())
        plan.serial = *m_record->serial();
    PassHooks hooks;
    hooks.stepStarted = [this](PassStep step) {
        m_report.event(QStringLiteral("step"), {{"step", passStepName(step)}});
    };
    hooks.stepFinished = [this](const StepOutcome& outcome) {
        if (outcome.step == PassStep::Signature && outcome.signature &&
            !outcome.signature->isEmpty()) {
            m_report.event(QStringLiteral("chip"),
                           {{"signature", *outcome.signature}, {"model", m_model->name}});
        }
    };
    PassRunner runner(*m_programmer, m_clock);
    const PassOutcome pass = runner.run(plan, hooks);
    m_record->fill(plan, pass);
    const bool stopped = pass.error && pass.error->kind() == ErrorKind::Stopped;
    const std::optional<CommandEnd> found = passEnding(plan, pass, *m_model, m_findings);
    std::optional<QString> failure;
    if (pass.error)
        failure = pass.error->text();
    try {
        m_record->finish(failure, stopped);
    } catch (const CommandEnd& lost) {
        // A chip that failed says so first; its record's loss is logged.
        if (!pass.error && !found)
            throw;
        log(lost.message);
    }
    // An error that ended the pass says more than the findings before it.
    if (pass.error)
        throw *pass.error;
    if (found)
        throw *found;
    return pass;
}

}  // namespace kv::cli
