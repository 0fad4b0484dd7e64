// SPDX-License-Identifier: MIT
// kelvaro-cli's command line, read as main() reads it: a gang line, or any
// other line alone. The input is the argument vector, split at NUL bytes.
#include "FuzzTarget.h"
#include "app/Language.h"
#include "cli/CliGang.h"
#include "cli/CliOptions.h"
#include "cli/CliRequest.h"
#include "cli/Subcommands.h"
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
