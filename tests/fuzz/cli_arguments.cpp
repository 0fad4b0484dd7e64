// SPDX-License-Identifier: MIT
// kelvaro-cli's command line, read as main() reads it: a gang line, or any
// other line alone. The input is the argument vector, split at NUL bytes.
#include "FuzzTarget.h"
#include "app/Language.h"
#include "catalogue/ChipModelTable.h"
#include "cli/CliGang.h"
#include "cli/CliOptions.h"
#include "cli/CliRequest.h"
#include "cli/Subcommands.h"
#include "core/SystemClock.h"
#include "gang/GangRunner.h"
#include "gang/GangSocket.h"

namespace {

bool knownCommand(const kv::cli::CliRequest& r) {
    for (const kv::cli::Subcommand* unit : kv::cli::Subcommands::all()) {
        if (unit == r.unit && unit->name == r.command)
            return true;
    }
    return false;
}

// "-p", "--port", "-port": an option word that takes the next word as its value.
bool takesValue(const QString& word) {
    if (!word.startsWith(u'-') || word.contains(u'='))
        return false;
    const QString name = word.mid(word.startsWith(u"--") ? 2 : 1);
    for (const auto* options : {&kv::cli::globalOptions(), &kv::cli::commandOptions()}) {
        for (const QCommandLineOption& option : *options) {
            if (option.names().contains(name) && !option.valueName().isEmpty())
                return true;
        }
    }
    return false;
}

bool isLanguageOption(const QString& word) {
    return word == u"--lang" || word == u"-lang" || word.startsWith(u"--lang=") ||
           word.startsWith(u"-lang=");
}

}  // namespace

KV_FUZZ_TARGET(cli_arguments) {
    QStringList arguments;
    for (const QByteArray& part : kv::fuzz::partsOf(data, size))
        arguments << QString::fromUtf8(part);
    if (arguments.size() > 64)
        return 0;
    const auto gang = kv::cli::parseGangArguments(arguments);
    const kv::cli::ParsedArguments parsed = gang ? *gang : kv::cli::parseArguments(arguments);
    const kv::cli::CliRequest& r = parsed.request;
    if (!parsed.error.isEmpty() || r.help || r.version)
        return 0;
    if (r.command == u"gang") {
        // Every socket runs the same line; the gang itself holds its limit.
        KV_FUZZ_CHECK(r.port.isEmpty());
        KV_FUZZ_CHECK(!r.gangCommand.isEmpty());
        KV_FUZZ_CHECK(kv::GangSockets::fromPortList(r.gangPorts).size() <=
                      kv::GangSockets::kMaxSockets);
    } else {
        KV_FUZZ_CHECK(knownCommand(r));
    }
    for (const std::optional<int>& byte : {r.low, r.high, r.ext, r.lockByte})
        KV_FUZZ_CHECK(!byte || (*byte >= 0 && *byte <= 0xFF));
    // Every valued option the parser accepted holds a value of its range.
    KV_FUZZ_CHECK(kv::cli::portProblem(r.port).isEmpty());
    KV_FUZZ_CHECK(r.baud.isEmpty() || r.baud.toInt() > 0);
    KV_FUZZ_CHECK(r.model.isEmpty() || kv::ChipModelTable::find(r.model));
    KV_FUZZ_CHECK(!r.slotMhz || *r.slotMhz == 1 || *r.slotMhz == 2 || *r.slotMhz == 4 ||
                  *r.slotMhz == 8);
    KV_FUZZ_CHECK(r.target.isEmpty() || r.target == u"flash" || r.target == u"eeprom");
    KV_FUZZ_CHECK(!r.address || *r.address >= 0);
    KV_FUZZ_CHECK(!r.pageSize || *r.pageSize == 32 || *r.pageSize == 64 || *r.pageSize == 128);
    KV_FUZZ_CHECK(r.language.isEmpty() || r.language == u"en" || r.language == u"zh");
    KV_FUZZ_CHECK(r.since.isNull() || r.since.isValid());
    for (const std::optional<QString>& text : {r.operatorName, r.lot})
        KV_FUZZ_CHECK(!text || *text == text->trimmed());
    // The combinations that make no sense never pass.
    KV_FUZZ_CHECK(!(r.csv && r.json));
    KV_FUZZ_CHECK(!(r.quiet && r.verbose));
    KV_FUZZ_CHECK(!r.noRecord || (r.recordUrl.isEmpty() && r.serialFile.isEmpty()));
    KV_FUZZ_CHECK(r.command != u"fuses write" || r.low || r.high || r.ext);
    KV_FUZZ_CHECK(r.command != u"calibration write" || (r.slotMhz && !r.target.isEmpty()));
    if (r.command == u"gang") {
        // Each socket's own line, as the gang starts it, parses and talks to that socket.
        const kv::SystemClock clock;
        kv::GangRunner runner(QString(), clock);
        runner.setCommand(r.gangCommand, kv::cli::CliGang::childOptions(r));
        for (const kv::GangSocket& socket : kv::GangSockets::fromPortList(r.gangPorts)) {
            const kv::cli::ParsedArguments child =
                kv::cli::parseArguments(runner.argumentsFor(socket));
            KV_FUZZ_CHECK(child.error.isEmpty());
            KV_FUZZ_CHECK(child.request.port == socket.port);
            KV_FUZZ_CHECK(child.request.json);
        }
    }
    // The messages speak the language the parser decided. Not asked where a
    // language word is itself the value of the option before it ("-p --lang").
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (isLanguageOption(arguments[i]) && takesValue(arguments[i - 1]))
            return 0;
    }
    KV_FUZZ_CHECK(kv::languageFromCode(kv::languageArgument(arguments)) ==
                  kv::languageFromCode(r.language));
    return 0;
}
