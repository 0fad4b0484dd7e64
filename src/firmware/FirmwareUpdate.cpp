// SPDX-License-Identifier: MIT
#include "firmware/FirmwareUpdate.h"

#include <QCoreApplication>
#include <algorithm>
#include <tuple>

#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "firmware/FirmwareFile.h"
#include "link/ProgrammerLink.h"
#include "link/SerialControl.h"
#include "link/WireCommands.h"
#include "settings/SettingsStore.h"

namespace kv {

namespace {
const QString kSection = QStringLiteral("文件名");
const QString kKey = QStringLiteral("文件");
const char* const kNoFile = QT_TRANSLATE_NOOP("FirmwareUpdate", "没选择升级文件！");
const char* const kRestart = QT_TRANSLATE_NOOP("FirmwareUpdate", "请重启编程器！");
const char* const kTimedOut = QT_TRANSLATE_NOOP("FirmwareUpdate", "超时，连接不成功！");
const char* const kStarting = QT_TRANSLATE_NOOP("FirmwareUpdate", "启动升级......");
const char* const kDone = QT_TRANSLATE_NOOP("FirmwareUpdate", "升级完毕。");
const char* const kLoaderSilent = QT_TRANSLATE_NOOP(
    "FirmwareUpdate",
    "编程器的引导程序没有请求数据（未收到“?”），升级失败！编程器中现在可能只有引导程序："
    "请重启编程器，再按“升  级”重试。");
const char* const kPagesMissed = QT_TRANSLATE_NOOP(
    "FirmwareUpdate",
    "升级结束，但有%1页（共%2页）没有得到编程器确认，固件可能不完整：请重启编程器后重新升级。");
const char* const kFilter = QT_TRANSLATE_NOOP("FirmwareUpdate", "二进制文件 (*.BIN)|*.BIN");

QString translated(const char* text) {
    return QCoreApplication::translate("FirmwareUpdate", text);
}

// The greeting wait yields in short slices so that "停  止" is seen promptly
// even by a pump that only returns at its deadline.
constexpr qint64 kGreetingSliceUs = 10'000;
}  // namespace

FirmwareUpdate::FirmwareUpdate(ProgrammerLink& link, SettingsStore& settings, UserPrompts& prompts,
                               std::function<void()> connectionChanged, QObject* parent)
    : QObject(parent),
      m_link(link),
      m_settings(settings),
      m_prompts(prompts),
      m_connectionChanged(std::move(connectionChanged)) {}

FirmwareUpdate::~FirmwareUpdate() = default;

void FirmwareUpdate::open() {
    m_restartPrompt.clear();
    m_status.clear();
    m_byteText.clear();
    m_cancelRequested = false;
    m_fileName = m_settings.read(kSection, kKey);
    Q_EMIT changed();
}

void FirmwareUpdate::setFileName(const QString& path) {
    if (path == m_fileName)
        return;
    m_fileName = path;
    Q_EMIT changed();
}

void FirmwareUpdate::setPageOption(int option) {
    option = std::clamp(option, 0, 2);
    if (option == m_pageOption)
        return;
    m_pageOption = option;
    Q_EMIT changed();
}

void FirmwareUpdate::setEncrypted(bool on) {
    if (on == m_encrypted)
        return;
    m_encrypted = on;
    Q_EMIT changed();
}

void FirmwareUpdate::browse() {
    FileDialogRequest request;
    request.filter = translated(kFilter);
    request.filterIndex = 1;
    request.initialDir = m_fileName;
    const std::optional<QString> chosen = m_prompts.openFile(request);
    if (!chosen)
        return;
    m_fileName = *chosen;
    m_status.clear();
    // A failure is in the log already; the chosen file serves this run anyway.
    std::ignore = m_settings.write(kSection, kKey, m_fileName);
    Q_EMIT changed();
}

void FirmwareUpdate::stop() {
    m_restartPrompt.clear();
    m_status.clear();
    m_byteText.clear();
    m_cancelRequested = true;
    m_link.pump().wake();
    Q_EMIT changed();
}

bool FirmwareUpdate::requestClose() {
    switch (m_phase) {
        case Phase::Idle:
            return true;
        case Phase::WaitingForLoader:
            m_closePending = true;
            stop();
            return false;
        case Phase::Transferring:
            return false;
    }
    return false;
}

void FirmwareUpdate::upgrade() {
    if (m_phase != Phase::Idle)
        return;
    const QString path = m_fileName.trimmed();
    m_outcome = Outcome::Failed;
    m_failure.reset();
    if (path.isEmpty()) {
        setStatus(translated(kNoFile));
        return;
    }
    bool portClosed = false;
    try {
        // Read and checked before anything is sent: a refused file leaves the
        // programmer untouched.
        const FirmwareFile file = FirmwareFile::load(path, pageSize());
        ProgrammerLink::Exchange exchange(m_link);
        m_link.discardInput();
        m_restartPrompt = translated(kRestart);
        m_status.clear();
        m_byteText.clear();
        m_phase = Phase::WaitingForLoader;
        Q_EMIT changed();
        switch (waitForGreeting()) {
            case Greeting::Received:
                m_phase = Phase::Transferring;
                if (!transfer(file)) {
                    m_byteText.clear();
                    m_status = translated(kLoaderSilent);
                    m_outcome = Outcome::LoaderSilent;
                } else if (m_pagesMissed > 0) {
                    m_byteText = translated(kPagesMissed).arg(m_pagesMissed).arg(pageCount(file));
                    m_outcome = Outcome::PagesMissed;
                } else {
                    m_byteText = translated(kDone);
                    m_outcome = Outcome::Done;
                }
                break;
            case Greeting::TimedOut:
                m_status = translated(kTimedOut);
                m_outcome = Outcome::TimedOut;
                m_link.port().setOpen(false);
                portClosed = true;
                break;
            case Greeting::Cancelled:
                m_outcome = Outcome::Cancelled;
                break;
        }
    } catch (const OperationError& e) {
        // The box comes up over a dialog that is idle again.
        m_phase = Phase::Idle;
        Q_EMIT changed();
        m_failure = e;
        // The program's title is the settings application name.
        m_prompts.warning(m_settings.applicationName(), e.text());
    }
    m_phase = Phase::Idle;
    Q_EMIT changed();
    if (portClosed && m_connectionChanged)
        m_connectionChanged();
    if (m_closePending) {
        m_closePending = false;
        Q_EMIT closeRequested();
    }
}

FirmwareUpdate::Greeting FirmwareUpdate::waitForGreeting() {
    m_cancelRequested = false;
    Clock& clock = m_link.clock();
    const qint64 t0 = clock.nowMs();
    const qint64 deadlineUs = (t0 + kGreetingLimitMs + 1) * 1000;
    QString collected;
    for (;;) {
        m_link.pump().yieldUntil(std::min(clock.nowUs() + kGreetingSliceUs, deadlineUs));
        collected += m_link.readInput();
        if (clock.nowMs() - t0 > kGreetingLimitMs)
            return Greeting::TimedOut;
        if (m_cancelRequested) {
            m_cancelRequested = false;
            return Greeting::Cancelled;
        }
        if (collected.contains(QLatin1Char('B')))
            return Greeting::Received;
    }
}

int FirmwareUpdate::pageCount(const FirmwareFile& file) {
    return file.fullPages() + (file.tailBytes() > 0 ? 1 : 0);
}

bool FirmwareUpdate::pageRequested() {
    if (m_link.waitForText(kPageRequestLimitMs, QStringLiteral("?"))) {
        m_loaderAsked = true;
        return true;
    }
    // The loader's "?" after a page is its acknowledgement; the first one only
    // says it is ready.
    if (m_loaderAsked)
        ++m_pagesMissed;
    return m_loaderAsked;
}

bool FirmwareUpdate::transfer(const FirmwareFile& file) {
    m_loaderAsked = false;
    m_pagesMissed = 0;
    m_link.delayMs(1);
    m_link.sendCommand(wire::loader::start(m_encrypted));
    m_link.delayMs(400);
    m_link.sendCommand(wire::loader::zero());
    m_link.delayMs(1);
    m_link.sendCommand(wire::loader::zero());
    m_restartPrompt.clear();
    setStatus(translated(kStarting));

    m_link.yieldOnce();
    const QByteArray& bytes = file.bytes();
    const int size = file.pageSize();
    // A loader that asks for nothing after its greeting is not listening:
    // streaming the file into that silence would only hide the failure.
    if (!pageRequested())
        return false;
    for (int page = 0; page < file.fullPages(); ++page) {
        if (page > 0)
            pageRequested();
        m_link.sendCommand(wire::loader::pageStart());
        m_link.delayMs(1);
        for (int i = page * size; i < (page + 1) * size; ++i) {
            m_link.yieldOnce();
            const QByteArray digits = FirmwareFile::hexByte(quint8(bytes[i]));
            m_link.sendCommand(QString::fromLatin1(digits));
            showByte(digits);
        }
    }
    // With no bytes left no page start goes out: the loader would take the
    // closing "!" for page data.
    if (file.tailBytes() > 0)
        sendTail(file);
    pageRequested();
    m_link.sendCommand(wire::loader::end());
    m_link.delayMs(1);
    return true;
}

void FirmwareUpdate::sendTail(const FirmwareFile& file) {
    if (file.fullPages() > 0)
        pageRequested();
    m_link.sendCommand(wire::loader::pageStart());
    m_link.delayMs(10);
    const QByteArray& bytes = file.bytes();
    const int start = file.fullPages() * file.pageSize();
    for (int i = start; i < bytes.size(); ++i) {
        m_link.yieldOnce();
        const QByteArray digits = FirmwareFile::hexByte(quint8(bytes[i]));
        m_link.sendCommand(QString(QLatin1Char(digits[0])));
        m_link.sendCommand(QString(QLatin1Char(digits[1])));
        showByte(digits);
    }
    for (int i = file.tailBytes(); i < file.pageSize(); ++i) {
        m_link.yieldOnce();
        m_link.sendCommand(wire::loader::fill());
        m_link.sendCommand(wire::loader::fill());
    }
}

void FirmwareUpdate::setStatus(const QString& text) {
    m_status = text;
    Q_EMIT changed();
}

void FirmwareUpdate::showByte(const QByteArray& digits) {
    m_byteText = QString::fromLatin1(digits);
    Q_EMIT changed();
}

}  // namespace kv
