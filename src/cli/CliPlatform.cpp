// SPDX-License-Identifier: MIT
#include "cli/CliPlatform.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QFile>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <cstring>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "core/OperationError.h"
#include "record/RecordUrl.h"

namespace kv::cli {

namespace {

std::atomic<bool> g_stop{false};
std::atomic<int> g_signal{SIGINT};
int g_pipe[2] = {-1, -1};
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onInterrupt(int signal) {
    // The first one names the stop; a second only repeats it.
    if (!g_stop.exchange(true))
        g_signal = signal;
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

StopSignal::StopSignal(QObject* parent) : QObject(parent) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        [[maybe_unused]] const auto n = ::read(g_pipe[0], buffer, sizeof buffer);
        Q_EMIT stopRequested();
    });
    // A terminal closed, or a supervisor's stop: the same safe stop as Ctrl-C,
    // with a result line and a record row for the chip in the socket.
    for (const int signal : kStopSignals)
        std::signal(signal, onInterrupt);
}

StopSignal::~StopSignal() {
    for (const int signal : kStopSignals)
        std::signal(signal, SIG_DFL);
}

int StopSignal::signalNumber() {
    return g_signal;
}

int StopSignal::exitCode() {
    return 128 + g_signal;
}

void hidePasswordsInArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        // In place and of the same length: ps reads this very memory.
        char* const text = argv[i];
        for (const auto& [from, to] : RecordUrl::passwordSpans(QByteArrayView(text)))
            std::memset(text + from, '*', size_t(to - from));
    }
}

QString StopSignal::signalName() {
    switch (g_signal) {
        case SIGTERM:
            return QStringLiteral("SIGTERM");
        case SIGHUP:
            return QStringLiteral("SIGHUP");
        default:
            return QStringLiteral("SIGINT");
    }
}

bool StopSignal::requested() {
    return g_stop;
}

void StopSignal::clear() {
    g_stop = false;
    g_signal = SIGINT;
}

void CliPrompts::warning(const QString&, const QString& text) {
    warnings << text;
    if (onWarning)
        onWarning(text);
}

std::optional<QString> CliPrompts::openFile(const FileDialogRequest&) {
    return std::exchange(openAnswer, std::nullopt);
}

std::optional<QString> CliPrompts::saveFile(const FileDialogRequest&) {
    return std::nullopt;
}

SettingsSnapshot::SettingsSnapshot(const QString& applicationName, const QString& sourceFolder)
    : SettingsStore(applicationName, sourceFolder) {
    // What the store's own read makes of the file: a missing or broken one
    // reads as empty.
    QFile file(filePath());
    if (file.open(QIODevice::ReadOnly)) {
        m_sections = QJsonDocument::fromJson(file.readAll())
                         .object()
                         .value(QStringLiteral("sections"))
                         .toObject();
    }
}

QString SettingsSnapshot::read(const QString& section, const QString& key) const {
    return m_sections.value(section).toObject().value(key).toString();
}

bool SettingsSnapshot::write(const QString& section, const QString& key, const QString& value) {
    QJsonObject entries = m_sections.value(section).toObject();
    entries.insert(key, value);
    m_sections.insert(section, entries);
    return true;
}

void watchGangParent() {
    bool ok = false;
    const qint64 parent = qEnvironmentVariable("KV_GANG_PARENT").toLongLong(&ok);
    if (!ok || parent <= 0)
        return;
    std::signal(SIGPIPE, SIG_IGN);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    // The parent may have gone before the request above took effect.
    if (qint64(::getppid()) != parent)
        std::raise(SIGTERM);
}

}  // namespace kv::cli
