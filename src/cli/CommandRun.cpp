// SPDX-License-Identifier: MIT
#include "cli/CommandRun.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <chrono>
#include <csignal>

#include "app/PassRecorder.h"
#include "app/SerialFile.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "cli/CliRecordPolicy.h"
#include "link/ProgrammerLink.h"
#include "operations/ProgramPass.h"
#include "settings/SettingsKeys.h"

namespace kv::cli {

namespace {

using SettingsKeys::kLineSettings;
using SettingsKeys::kPort;
using SettingsKeys::kPortNumber;

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
    m_workbench.reset();
    m_recorder.reset();
    m_port.setOpen(false);
}

void CommandRun::findAll(const QJsonObject& values) {
    for (auto it = values.begin(); it != values.end(); ++it)
        m_findings.insert(it.key(), it.value());
}

int CommandRun::run() {
    const qint64 startMs = m_clock.nowMs();
    Ending ending = Ending::Done;
    try {
        runCommand();
    } catch (const CommandEnd& end) {
        ending = end.ending;
        m_message = end.message;
    } catch (const OperationError& error) {
        const CommandEnd end = endOf(error);
        ending = end.ending;
        m_message = end.message;
    }
    if (m_workbench && !m_port.isOpen() && ending == Ending::Programmer) {
        // The line went away under the command: unplugged, or the device vanished.
        if (!m_findings.contains(QStringLiteral("portBusy")))
            m_findings.insert(QStringLiteral("portLost"), true);
    }
    if (StopSignal::requested()) {
        ending = Ending::Stopped;
        reportStop();
    }
    if (m_workbench && m_workbench->record().lastRecordId() != 0)
        m_findings.insert(QStringLiteral("record"), m_workbench->record().lastRecordId());
    if (m_workbench && m_workbench->record().recordPending()) {
        // The chip is done; only its record waits. A command that failed
        // keeps its own ending, the chip being what the line must act on.
        m_findings.insert(QStringLiteral("recordPending"), true);
        if (ending == Ending::Done) {
            ending = Ending::RecordPending;
            m_message = *m_workbench->record().recordPending();
        }
    }
    m_port.setOpen(false);
    const int code = exitCodeOf(ending);
    m_report.result(code, m_message, m_findings, code == kExitDone ? m_human : QString());
    // A command that talked to a programmer says how long it took.
    if (m_workbench)
        m_report.elapsed(m_clock.nowMs() - startMs);
    return code;
}

void CommandRun::runCommand() {
    m_request.unit->invoke(*this);
    // A command that ends with the port closed under it did not end well.
    if (m_workbench && !m_port.isOpen()) {
        m_findings.insert(QStringLiteral("portLost"), true);
        end(Ending::Programmer, QCoreApplication::translate("CliRunner", "端口已关闭。"));
    }
}

void CommandRun::reportStop() {
    m_findings.insert(QStringLiteral("interrupted"), true);
    m_findings.insert(QStringLiteral("reason"), QStringLiteral("stopped"));
    m_findings.insert(QStringLiteral("signal"), StopSignal::signalName());
    m_findings.insert(QStringLiteral("bytesSent"), m_port.bytesSent());
    QString done =
        QCoreApplication::translate("CliRunner", "已向编程器发送%1字节").arg(m_port.bytesSent());
    if (m_workbench) {
        const int flash = m_workbench->session().flash().progress();
        const int eeprom = m_workbench->session().eeprom().progress();
        m_findings.insert(QStringLiteral("flashProgress"), flash);
        m_findings.insert(QStringLiteral("eepromProgress"), eeprom);
        done += QCoreApplication::translate("CliRunner", "（FLASH进度%1%，EEPROM进度%2%）")
                    .arg(flash)
                    .arg(eeprom);
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

void CommandRun::makeRecorder() {
    if (!m_request.changesChip())
        return;
    const RecordPolicy policy = recordPolicyOf(m_request, m_settings.store());
    if (m_request.noRecord) {
        // A line that must record decides that in the window's settings, not per run.
        if (!policy.allowUnrecorded) {
            end(Ending::Usage,
                QCoreApplication::translate(
                    "CliRecordCommands", "--no-record 需要窗口设置中允许无记录编程（[%1] %2=1）。")
                    .arg(RecordPolicy::section(), RecordPolicy::allowKey()));
        }
        m_report.note(
            QCoreApplication::translate("CliRecordCommands", "按 --no-record，本次编程不作记录。"));
        return;
    }
    m_recorder = std::make_unique<PassRecorder>(policy, m_clock,
                                                [] { return QDateTime::currentDateTimeUtc(); });
    m_recorder->setContext(gangContext());
    if (m_request.unit->name == u"run")
        m_recorder->setSchemeFile(m_request.file);
}

void CommandRun::admitRecord() {
    if (!m_recorder)
        return;
    if (const auto refusal = m_recorder->admit())
        end(Ending::Record, *refusal);
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
    // Numbers come from the record; a run that keeps none cannot take one.
    if (m_serialScheme && !m_recorder->unrecordedNote().isEmpty())
        end(Ending::Record, m_recorder->unrecordedNote());
}

// The command line's choices go into this run's copy of the settings, so the
// window's own start-up applies them exactly as it applies stored ones.
void CommandRun::prepareSettings() {
    SettingsStore& store = m_settings.store();
    const QString port = m_request.port;
    static const QRegularExpression comPattern(QStringLiteral("^COM(\\d+)$"),
                                               QRegularExpression::CaseInsensitiveOption);
    const auto com = comPattern.match(port);
    if (com.hasMatch()) {
        std::ignore = store.write(kPort, kPortNumber, com.captured(1));
    } else if (!port.isEmpty()) {
        // A device path stands behind COM1 for this run only.
        m_portMap.setDevicePath(1, port);
        std::ignore = store.write(kPort, kPortNumber, QStringLiteral("1"));
    }
    if (!m_request.baud.isEmpty()) {
        QString line = store.read(kPort, kLineSettings);
        QStringList fields =
            (line.isEmpty() ? SettingsKeys::defaultLineSettings() : line).split(u',');
        fields[0] = m_request.baud;
        std::ignore = store.write(kPort, kLineSettings, fields.join(u','));
    }
    if (!m_request.model.isEmpty())
        std::ignore = store.write(SettingsKeys::kChip, SettingsKeys::kModel, m_request.model);
    // The window's remembered files are not this command's.
    std::ignore = store.write(SettingsKeys::kFlashFile, SettingsKeys::kImagePath, QString());
    std::ignore = store.write(SettingsKeys::kEepromFile, SettingsKeys::kImagePath, QString());
}

Workbench& CommandRun::workbench() {
    if (m_workbench)
        return *m_workbench;
    makeRecorder();
    prepareSettings();
    m_workbench = std::make_unique<Workbench>(
        WorkbenchPlatform{m_port, m_clock, m_pump, m_prompts, m_dialogs, m_settings.store(),
                          m_paths.dataFolder, &m_portMap, m_recorder.get()});
    m_workbench->record().setSerialScheme(m_serialScheme, m_serialSource);
    m_workbench->record().setPortText(m_request.port);
    QObject::connect(
        &m_workbench->session().log(), &MessageLog::entryAdded,
        [this](const QString& message, const QString& stamp) { m_report.log(message, stamp); });
    ProgramPass& pass = m_workbench->session().programPass();
    QObject::connect(&pass, &ProgramPass::stepStarted, [this](PassStep step) {
        m_report.event(QStringLiteral("step"), {{"step", passStepName(step)}});
    });
    QObject::connect(&pass, &ProgramPass::stepFinished, [this](const StepOutcome& outcome) {
        if (outcome.step == PassStep::Signature && outcome.signature &&
            !outcome.signature->isEmpty()) {
            m_report.event(QStringLiteral("chip"),
                           {{"signature", *outcome.signature},
                            {"model", m_workbench->session().model().selectedModelName()}});
        }
    });
    return *m_workbench;
}

void CommandRun::openPort() {
    workbench();
    // The window's start-up opens the port; a failure to open it ends the
    // command before anything is sent.
    const std::optional<OperationError> notOpened = m_workbench->start();
    if (notOpened || !m_port.isOpen()) {
        // Busy is not lost: the operator frees the port rather than checking the cable.
        const bool busy = notOpened && notOpened->kind() == ErrorKind::PortBusy;
        m_findings.insert(busy ? QStringLiteral("portBusy") : QStringLiteral("portLost"), true);
        end(Ending::Programmer, notOpened
                                    ? notOpened->text()
                                    : QCoreApplication::translate("CliRunner", "端口未能打开。"));
    }
    const qint64 openedMs = m_clock.nowMs();
    // The record opens while the line is watched for quiet: a record that
    // cannot be kept still ends the command before anything is sent.
    admitRecord();
    // A command cut off before this run (a read stopped by Ctrl-C) may still
    // be answered: its rest must not pass for this run's replies. A pause of
    // a few characters' time means the programmer has finished; the time
    // the record took counts, when nothing came meanwhile.
    int quietMs = kQuietMs;
    if (m_port.waitForReadyRead(0))
        m_port.readAll();
    else
        quietMs = int(qMax<qint64>(0, kQuietMs - (m_clock.nowMs() - openedMs)));
    if (quietMs > 0 && !m_workbench->session().link().drainUntilQuiet(quietMs, kDrainLimitMs)) {
        end(Ending::Programmer,
            QCoreApplication::translate("CliRunner",
                                        "编程器仍在发送上一条命令的数据：请等几秒再试，"
                                        "或拔下编程器再插上。"));
    }
    for (ImageSlot* slot : {&m_workbench->session().flash(), &m_workbench->session().eeprom()}) {
        const QString step = slot->isFlash() ? QStringLiteral("flash") : QStringLiteral("eeprom");
        QObject::connect(slot, &ImageSlot::progressChanged,
                         [this, step](int percent) { m_report.progress(step, percent, 100); });
    }
}

void CommandRun::applySerialScheme() {
    workbench().record().setSerialScheme(m_serialScheme, m_serialSource);
}

void CommandRun::check(const CommandResult& result) {
    if (StopSignal::requested())
        end(Ending::Stopped, {});
    if (!result.ran)
        end(Ending::Programmer, CommandRunner::busyText());
    if (result.error)
        throw endOf(*result.error);
}

void CommandRun::identify() {
    Workbench& wb = *m_workbench;
    const CommandResult result = wb.runCommand(CommandId::SelectModel);
    const QString signature = wb.session().signature().signatureText();
    if (result.error && result.error->kind() == ErrorKind::NoAnswer)
        end(Ending::Programmer,
            QCoreApplication::translate("CliChipCommands", "编程器无反应：读不到标识字。"));
    if (result.error && result.error->kind() == ErrorKind::Garbled)
        throw garbledSignature(signature);
    if (result.error && result.error->kind() == ErrorKind::ChipDisagrees) {
        m_findings.insert(QStringLiteral("signature"), signature);
        end(Ending::ChipDisagrees,
            QCoreApplication::translate("CliChipCommands", "插座中的芯片（标识字%1）不在型号表中。")
                .arg(signature));
    }
    check(result);
    m_findings.insert(QStringLiteral("signature"), signature);
    // The record's signature is the one read from this chip, for every command.
    wb.record().setChipSignature(signature);
    const QString model = wb.session().model().selectedModelName();
    m_signature = signature;
    m_model = model;
    m_findings.insert(QStringLiteral("model"), model);
    m_report.event(QStringLiteral("chip"), {{"signature", signature}, {"model", model}});
    if (!m_request.model.isEmpty() && m_request.model != model) {
        end(Ending::ChipDisagrees,
            QCoreApplication::translate(
                "CliChipCommands",
                "插座中的芯片是%1（标识字%2），与 --model %3 不符，未做任何操作。")
                .arg(model, signature, m_request.model));
    }
}

}  // namespace kv::cli
