// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QJsonArray>
#include <QTime>

#include "app/MessageLog.h"
#include "cli/CommandRun.h"
#include "cli/Subcommand.h"
#include "link/ProgrammerLink.h"
#include "ports/PortSearch.h"
#include "settings/SettingsKeys.h"

namespace kv::cli::commands {

namespace {

void ports(CommandRun& run) {
    QJsonArray list;
    QStringList lines, probedDevices;
    bool found = false;
    std::unique_ptr<ProgrammerLink> link;
    std::unique_ptr<PortSearch> search;
    if (run.request().probe) {
        const QString line = run.settings().read(SettingsKeys::kPort, SettingsKeys::kLineSettings);
        try {
            run.port().setSettings(line.isEmpty() ? SettingsKeys::defaultLineSettings() : line);
        } catch (const OperationError&) {
        }
        link = std::make_unique<ProgrammerLink>(
            run.port(), run.clock(), run.pump(), [&run](const QString& m) {
                run.report().log(m, MessageLog::stampLine(QTime::currentTime()).trimmed());
            });
        search = std::make_unique<PortSearch>(*link);
    }
    for (const PortMap::Mapping& m : run.portMap().mappings()) {
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
            run.port().setOpen(false);
            found = found || answers;
            entry.insert(QStringLiteral("answers"), answers);
            text += answers ? QCoreApplication::translate("CliRunner", "  编程器应答")
                            : QCoreApplication::translate("CliRunner", "  无应答");
        }
        list.append(entry);
        lines << text;
    }
    run.find(QStringLiteral("ports"), list);
    run.setHuman(lines.join(u'\n'));
    if (run.request().probe && !found)
        CommandRun::end(Ending::Programmer,
                        QCoreApplication::translate("CliRunner", "没有找到应答的编程器。"));
}

QString check(CliRequest& request) {
    if (!request.port.isEmpty() || !request.baud.isEmpty())
        return QCoreApplication::translate("CliRequest",
                                           "ports 列出全部端口，不接受 --port 或 --baud");
    if (!request.model.isEmpty())
        return QCoreApplication::translate("CliRequest", "命令 %1 不涉及芯片，不接受 --model")
            .arg(request.command);
    return {};
}

}  // namespace

const Subcommand& ports() {
    static const Subcommand command{
        .name = QStringLiteral("ports"),
        .options = {QStringLiteral("probe")},
        .usage = QStringLiteral("ports [--probe]"),
        .summary = QStringLiteral(
            "COM1..COM16 with the device behind each; --probe asks each for a programmer"),
        .example = QStringLiteral("kelvaro-cli ports --probe"),
        .reach = Reach::Nothing,
        .check = check,
        .invoke = ports,
    };
    return command;
}

}  // namespace kv::cli::commands
