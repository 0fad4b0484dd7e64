// SPDX-License-Identifier: MIT
#include "cli/CliRunner.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTime>
#include <QTimer>
#include <chrono>
#include <csignal>

#include "app/PassRecorder.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "core/OperationError.h"
#include "firmware/FirmwareFile.h"
#include "firmware/FirmwareUpdate.h"
#include "link/ProgrammerLink.h"
#include "operations/ProgramPass.h"
#include "ports/PortSearch.h"
#include "record/RecordDatabase.h"
#include "schemes/SchemeFile.h"
#include "settings/SettingsKeys.h"

namespace kv::cli {

namespace {

using SettingsKeys::kLineSettings;
using SettingsKeys::kPort;
using SettingsKeys::kPortNumber;

}  // namespace

CliRunner::CliRunner(const CliRequest& request, CliReport& report, const Paths& paths)
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

CliRunner::~CliRunner() {
    m_workbench.reset();
    m_recorder.reset();
    m_port.setOpen(false);
    RecordDatabase::setClock(nullptr);
}

int CliRunner::fail(int code, const QString& message) {
    m_message = message;
    return code;
}

int CliRunner::run() {
    const qint64 startMs = m_clock.nowMs();
    // Every record operation of this command shares one deadline.
    RecordDatabase::setClock(&m_clock);
    const RecordDatabase::CommandScope recordDeadline;
    int code = kExitDone;
    try {
        if (m_request.id == CommandId::ListPorts)
            code = runPorts();
        else if (m_request.id == CommandId::RecordList)
            code = runRecordList();
        else if (m_request.id == CommandId::RecordFlush)
            code = runRecordFlush();
        else if ((code = prepareRecorder()) != kExitDone)
            ;
        else if (m_request.id == CommandId::FirmwareUpdate)
            code = runFirmware();
        else if (m_request.id == CommandId::RunPass)
            code = runScheme();
        else
            code = runChipCommand();
    } catch (const OperationError& e) {
        code = fail(kExitProgrammer, e.text());
    }
    if (stopCounts()) {
        code = StopSignal::exitCode();
        m_findings.insert(QStringLiteral("interrupted"), true);
        m_findings.insert(QStringLiteral("reason"), QStringLiteral("stopped"));
        m_findings.insert(QStringLiteral("signal"), StopSignal::signalName());
        m_findings.insert(QStringLiteral("bytesSent"), m_port.bytesSent());
        QString done = QCoreApplication::translate("CliRunner", "已向编程器发送%1字节")
                           .arg(m_port.bytesSent());
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
    if (m_workbench && m_workbench->record().lastRecordId() != 0)
        m_findings.insert(QStringLiteral("record"), m_workbench->record().lastRecordId());
    if (m_workbench && m_workbench->record().recordLost()) {
        // The chip was written and its row is nowhere: the line must set the
        // chip aside by these two.
        const RecordKeeper::LostRecord& lost = *m_workbench->record().recordLost();
        m_findings.insert(QStringLiteral("recordLost"), true);
        m_findings.insert(QStringLiteral("passUid"), lost.passUid);
        m_findings.insert(QStringLiteral("serial"),
                          lost.serial ? QJsonValue(*lost.serial) : QJsonValue());
    }
    if (m_workbench && m_workbench->record().recordPending()) {
        // The chip is done; only its record waits. A command that failed
        // keeps its own code, the chip being what the line must act on.
        m_findings.insert(QStringLiteral("recordPending"), true);
        if (code == kExitDone) {
            code = kExitRecordPending;
            m_message = *m_workbench->record().recordPending();
        }
    }
    m_port.setOpen(false);
    m_report.result(code, m_message, m_findings, code == kExitDone ? m_human : QString());
    // A command that talked to a programmer says how long it took.
    if (m_workbench)
        m_report.elapsed(m_clock.nowMs() - startMs);
    return code;
}

// The command line's choices go into this run's copy of the settings, so the
// window's own start-up applies them exactly as it applies stored ones.
void CliRunner::prepareSettings() {
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

void CliRunner::startWorkbench() {
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
}

// The window's start-up, which opens the port; a failure to open it ends the
// command before anything is sent.
int CliRunner::startOnPort() {
    const std::optional<OperationError> notOpened = m_workbench->start();
    if (notOpened || !m_port.isOpen()) {
        // Busy is not lost: the operator frees the port rather than checking the cable.
        const bool busy = notOpened && notOpened->kind() == ErrorKind::PortBusy;
        m_findings.insert(busy ? QStringLiteral("portBusy") : QStringLiteral("portLost"), true);
        return fail(kExitProgrammer,
                    notOpened ? notOpened->text()
                              : QCoreApplication::translate("CliRunner", "端口未能打开。"));
    }
    // A command cut off before this run (a read stopped by Ctrl-C) may still
    // be answered: its rest must not pass for this run's replies. A pause of
    // a few characters' time means the programmer has finished.
    if (!m_workbench->session().link().drainUntilQuiet(kQuietMs, kDrainLimitMs)) {
        return fail(kExitProgrammer,
                    QCoreApplication::translate("CliRunner",
                                                "编程器仍在发送上一条命令的数据：请等几秒再试，"
                                                "或拔下编程器再插上。"));
    }
    for (ImageSlot* slot : {&m_workbench->session().flash(), &m_workbench->session().eeprom()}) {
        const QString step = slot->isFlash() ? QStringLiteral("flash") : QStringLiteral("eeprom");
        QObject::connect(slot, &ImageSlot::progressChanged,
                         [this, step](int percent) { m_report.progress(step, percent, 100); });
    }
    return kExitDone;
}

int CliRunner::noAnswer() {
    return fail(kExitProgrammer, QCoreApplication::translate("CliRunner", "编程器无反应!"));
}

bool CliRunner::stopCounts() const {
    // A stop that came once the chip had passed (while its row was being
    // written) changes nothing: the exit code says what the row says.
    return StopSignal::requested() &&
           !(m_workbench && m_workbench->record().lastResult() == u"pass");
}

int CliRunner::outcome(const CommandResult& result, int chipExit) {
    if (stopCounts())
        return StopSignal::exitCode();
    if (!result.ran)
        return fail(kExitProgrammer, CommandRunner::busyText());
    if (result.error) {
        const OperationError& error = *result.error;
        if (!m_port.isOpen()) {
            // The line went away under the command: unplugged, or the device vanished.
            m_findings.insert(QStringLiteral("portLost"), true);
        }
        switch (error.kind()) {
            case ErrorKind::ChipDisagrees:
                return fail(kExitChipDisagrees, error.text());
            case ErrorKind::File:
                return fail(kExitFile, error.text());
            case ErrorKind::Record:
                return fail(kExitRecord, error.text());
            case ErrorKind::RecordLost:
                return fail(kExitRecordLost, error.text());
            case ErrorKind::NoAnswer:
            case ErrorKind::LineLost:
            case ErrorKind::PortBusy:
            case ErrorKind::Garbled:
            case ErrorKind::Refused:
            case ErrorKind::Stopped:
                return fail(kExitProgrammer, error.text());
        }
    }
    if (chipExit != kExitDone)
        return chipExit;
    if (!m_port.isOpen()) {
        m_findings.insert(QStringLiteral("portLost"), true);
        return fail(kExitProgrammer, QCoreApplication::translate("CliRunner", "端口已关闭。"));
    }
    return kExitDone;
}

int CliRunner::runPorts() {
    QJsonArray list;
    QStringList lines, probedDevices;
    bool found = false;
    std::unique_ptr<ProgrammerLink> link;
    std::unique_ptr<PortSearch> search;
    if (m_request.probe) {
        const QString line = m_settings.store().read(kPort, kLineSettings);
        try {
            m_port.setSettings(line.isEmpty() ? SettingsKeys::defaultLineSettings() : line);
        } catch (const OperationError&) {
        }
        link = std::make_unique<ProgrammerLink>(m_port, m_clock, m_pump, [this](const QString& m) {
            m_report.log(m, MessageLog::stampLine(QTime::currentTime()).trimmed());
        });
        search = std::make_unique<PortSearch>(*link);
    }
    for (const PortMap::Mapping& m : m_portMap.mappings()) {
        QJsonObject entry{{"port", QStringLiteral("COM%1").arg(m.number)},
                          {"device", m.devicePath},
                          {"exists", m.exists},
                          {"stored", m.stored}};
        QString text = QStringLiteral("COM%1").arg(m.number).leftJustified(7) +
                       (m.devicePath.isEmpty() ? QStringLiteral("-") : m.devicePath);
        if (m.stored)
            text += QCoreApplication::translate("CliRunner", "  (已保存)");
        if (search && m.exists && !probedDevices.contains(m.devicePath)) {
            probedDevices << m.devicePath;
            if (StopSignal::requested())
                break;
            const bool answers = search->answers(m.number);
            m_port.setOpen(false);
            found = found || answers;
            entry.insert(QStringLiteral("answers"), answers);
            text += answers ? QCoreApplication::translate("CliRunner", "  编程器应答")
                            : QCoreApplication::translate("CliRunner", "  无应答");
        }
        list.append(entry);
        lines << text;
    }
    m_findings.insert(QStringLiteral("ports"), list);
    m_human = lines.join(u'\n');
    if (m_request.probe && !found)
        return fail(kExitProgrammer,
                    QCoreApplication::translate("CliRunner", "没有找到应答的编程器。"));
    return kExitDone;
}

int CliRunner::runFirmware() {
    const int pageSize = m_request.pageSize.value_or(64);
    try {
        FirmwareFile::load(m_request.file, pageSize);
    } catch (const OperationError& e) {
        return fail(kExitFile, e.text());
    }
    startWorkbench();
    if (const int code = startOnPort())
        return code;

    Workbench& wb = *m_workbench;
    FirmwareUpdate update(wb.session().link(), wb.session().settings(), m_prompts,
                          [&wb] { wb.refreshConnection(); });
    update.setFileName(m_request.file);
    update.setPageOption(pageSize == 32 ? 0 : pageSize == 64 ? 1 : 2);
    update.setEncrypted(m_request.encrypted);
    QString shown;
    QObject::connect(&update, &FirmwareUpdate::changed, [&] {
        const QString text =
            update.restartPrompt().isEmpty() ? update.status() : update.restartPrompt();
        if (!text.isEmpty() && text != shown)
            m_report.note(text);
        shown = text;
    });
    // Only the wait for the loader can stop; a transfer stopped half-way would
    // leave the programmer with its loader alone.
    m_port.setStoppable(false);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&] {
        if (StopSignal::requested() && update.phase() == FirmwareUpdate::Phase::WaitingForLoader)
            update.stop();
    });
    stopWatch.start(20);
    update.upgrade();
    stopWatch.stop();
    if (!update.byteText().isEmpty())
        m_report.note(update.byteText());
    switch (update.lastOutcome()) {
        case FirmwareUpdate::Outcome::Done:
            // A Ctrl-C during the transfer waited for its end; nothing is left undone.
            StopSignal::clear();
            m_human = update.byteText();
            return kExitDone;
        case FirmwareUpdate::Outcome::Cancelled:
            return StopSignal::exitCode();
        case FirmwareUpdate::Outcome::PagesMissed:
            return fail(kExitProgrammer, update.byteText());
        default:
            return fail(kExitProgrammer,
                        update.status().isEmpty()
                            ? (update.failure() ? update.failure()->text() : update.byteText())
                            : update.status());
    }
}

}  // namespace kv::cli
