// SPDX-License-Identifier: MIT
#include "ui/GangWindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "app/Language.h"
#include "core/OperationError.h"
#include "core/UserPrompts.h"
#include "gang/GangSocket.h"
#include "link/PortMap.h"
#include "schemes/SchemeCommands.h"
#include "schemes/SchemeFile.h"
#include "settings/SettingsStore.h"
#include "ui/Accessibility.h"
#include "ui/GangSocketsDialog.h"
#include "ui/Tones.h"

namespace kv::ui {

namespace {

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// The hue of a result; setTone keeps it legible on light and dark desktops.
QColor colourOf(SocketState::Phase phase) {
    switch (phase) {
        case SocketState::Phase::Passed:
            return QColor(0x1a, 0x8f, 0x2e);
        case SocketState::Phase::Failed:
        case SocketState::Phase::PortLost:
        case SocketState::Phase::PortBusy:
            return QColor(0xc6, 0x28, 0x28);
        case SocketState::Phase::Stopped:
            return QColor(0xa6, 0x6a, 0x00);
        default:
            return QColor(0x1f, 0x4e, 0x9c);
    }
}

QString secondsText(qint64 ms) {
    return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
}

}  // namespace

GangWindow::GangWindow(SettingsStore& settings, UserPrompts& prompts, const Clock& clock,
                       const QString& cliPath, const PortMap* portMap, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_settings(settings),
      m_prompts(prompts),
      m_portMap(portMap),
      m_runner(cliPath, clock) {
    setObjectName(QStringLiteral("frmGang"));
    installWindowAccessibility();
    setWindowTitle(tr("量产"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    m_startAll = button("StartAll", tr("全部开始"), this);
    m_stopAll = button("StopAll", tr("全部停止"), this);
    m_chooseScheme = button("ChooseScheme", tr("选择方案"), this);
    m_configure = button("GangSockets", tr("插座设置"), this);
    m_schemeLabel = new QLabel(this);
    m_schemeLabel->setObjectName(QStringLiteral("lblScheme"));
    for (QPushButton* b : {m_startAll, m_stopAll, m_chooseScheme, m_configure})
        bar->addWidget(b);
    bar->addWidget(m_schemeLabel, 1);
    layout->addLayout(bar);
    m_grid = new QGridLayout;
    layout->addLayout(m_grid);
    layout->addStretch();

    connect(m_startAll, &QPushButton::clicked, this, [this] {
        QList<int> all;
        for (int i = 0; i < m_runner.count(); ++i)
            all << i;
        if (const auto problem = heldPortProblem(all)) {
            m_prompts.warning(windowTitle(), *problem);
            return;
        }
        if (prepared())
            m_runner.startAll();
    });
    connect(m_stopAll, &QPushButton::clicked, this, [this] { m_runner.stopAll(); });
    connect(m_chooseScheme, &QPushButton::clicked, this, &GangWindow::chooseScheme);
    connect(m_configure, &QPushButton::clicked, this, &GangWindow::configureSockets);
    connect(&m_runner, &GangRunner::stateChanged, this, [this](int index) {
        showState(index);
        refreshButtons();
    });
    connect(&m_ticker, &QTimer::timeout, this, &GangWindow::showTimes);
    reload();
}

GangWindow::~GangWindow() = default;

void GangWindow::reload() {
    if (m_runner.anyRunning())
        return;
    m_scheme = GangSockets::loadScheme(m_settings);
    m_runner.setSockets(GangSockets::load(m_settings));
    // The tiles show what the children say: in the window's language.
    m_runner.setCommand({QStringLiteral("run"), m_scheme},
                        {QStringLiteral("--lang"), languageCode(currentLanguage())});
    m_schemeLabel->setText(m_scheme.isEmpty() ? tr("方案：（未选择）")
                                              : tr("方案：%1").arg(QFileInfo(m_scheme).fileName()));
    m_schemeLabel->setToolTip(m_scheme);
    buildTiles();
    refreshButtons();
}

void GangWindow::buildTiles() {
    for (const Tile& tile : std::as_const(m_tiles))
        delete tile.box;
    m_tiles.clear();
    const int columns = m_runner.count() <= 4 ? 2 : 4;
    for (int i = 0; i < m_runner.count(); ++i) {
        Tile tile;
        auto* box = new QGroupBox(tr("插座%1").arg(i + 1), this);
        box->setObjectName(QStringLiteral("fraSocket_%1").arg(i));
        tile.box = box;
        auto* column = new QVBoxLayout(box);
        for (QLabel** label : {&tile.port, &tile.chip, &tile.step}) {
            *label = new QLabel(box);
            column->addWidget(*label);
        }
        tile.progress = new QProgressBar(box);
        column->addWidget(tile.progress);
        for (QLabel** label : {&tile.result, &tile.time, &tile.counts}) {
            *label = new QLabel(box);
            column->addWidget(*label);
        }
        // A long reason (a path, a system message) wraps inside the tile and
        // takes the height it needs, never running under the progress bar.
        tile.result->setWordWrap(true);
        tile.result->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::MinimumExpanding);
        tile.result->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont bold = tile.result->font();
        bold.setBold(true);
        tile.result->setFont(bold);
        tile.start = new QPushButton(tr("开始"), box);
        tile.start->setObjectName(QStringLiteral("StartSocket_%1").arg(i));
        column->addWidget(tile.start);
        connect(tile.start, &QPushButton::clicked, this, [this, i] {
            if (const auto problem = heldPortProblem({i})) {
                m_prompts.warning(windowTitle(), *problem);
                return;
            }
            if (prepared())
                m_runner.restart(i);
        });
        const GangSocket& socket = m_runner.sockets()[i];
        QString port = socket.port;
        // The device behind a COM number, as the port settings dialog shows it.
        static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch number = com.match(socket.port);
        if (m_portMap && number.hasMatch()) {
            const QString device = m_portMap->devicePath(number.captured(1).toInt());
            port += QStringLiteral(" (%1)").arg(device.isEmpty() ? tr("无设备") : device);
        }
        if (!socket.line.isEmpty())
            port += QStringLiteral("  ") + socket.line;
        tile.port->setText(port);
        m_grid->addWidget(box, i / columns, i % columns);
        m_tiles.append(tile);
        showState(i);
    }
}

QLabel* GangWindow::tileLabel(int index, const QString& part) const {
    const Tile tile = m_tiles.value(index);
    if (part == u"port")
        return tile.port;
    if (part == u"chip")
        return tile.chip;
    if (part == u"step")
        return tile.step;
    if (part == u"result")
        return tile.result;
    if (part == u"time")
        return tile.time;
    return part == u"counts" ? tile.counts : nullptr;
}

void GangWindow::showState(int index) {
    if (index < 0 || index >= m_tiles.size())
        return;
    const Tile& tile = m_tiles[index];
    const SocketState& s = m_runner.state(index);
    tile.chip->setText(s.signature.isEmpty() && s.model.isEmpty()
                           ? tr("芯片：—")
                           : tr("芯片：%1 %2").arg(s.signature, s.model).trimmed());
    tile.step->setText(s.step.isEmpty() ? SocketState::phaseText(s.phase)
                                        : tr("步骤：%1").arg(s.step));
    tile.progress->setValue(s.progress);
    QString result = SocketState::phaseText(s.phase);
    if (!s.reason.isEmpty() && s.phase != SocketState::Phase::Passed)
        result = tr("%1：%2", "socket result: its phase, the reason").arg(result, s.reason);
    // Paths and device names have no spaces: let them break after a separator.
    static const QRegularExpression separators(QStringLiteral("([/\\\\_.,:;-])"));
    QString wrapped = result;
    wrapped.replace(separators, QStringLiteral("\\1\u200B"));
    tile.result->setText(wrapped);
    tile.result->setToolTip(result);
    // The break marks are for the layout only: a screen reader reads the text.
    tile.result->setAccessibleName(result);
    setTone(tile.result, colourOf(s.phase));
    tile.time->setText(tr("用时：%1").arg(secondsText(s.elapsedMs(m_runner.nowMs()))));
    tile.counts->setText(tr("通过 %1  失败 %2").arg(s.passes).arg(s.fails));
    tile.start->setText(s.isRunning() ? tr("重新开始") : tr("开始"));
}

void GangWindow::showTimes() {
    for (int i = 0; i < m_tiles.size(); ++i) {
        const SocketState& s = m_runner.state(i);
        if (s.isRunning())
            m_tiles[i].time->setText(
                tr("用时：%1").arg(secondsText(s.elapsedMs(m_runner.nowMs()))));
    }
}

void GangWindow::refreshButtons() {
    const bool running = m_runner.anyRunning();
    if (running && !m_ticker.isActive())
        m_ticker.start(200);
    else if (!running)
        m_ticker.stop();
    m_stopAll->setEnabled(running);
    m_startAll->setEnabled(!m_scheme.isEmpty() && m_runner.count() > 0);
    m_chooseScheme->setEnabled(!running);
    m_configure->setEnabled(!running);
    for (const Tile& tile : std::as_const(m_tiles))
        tile.start->setEnabled(!m_scheme.isEmpty());
}

std::optional<QString> GangWindow::heldPortProblem(const QList<int>& sockets) const {
    const std::optional<int> held = m_heldPort ? m_heldPort() : std::nullopt;
    if (!held)
        return std::nullopt;
    const QString name = QStringLiteral("COM%1").arg(*held);
    const QString device = m_portMap ? m_portMap->devicePath(*held) : QString();
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    QStringList refused;
    for (const int i : sockets) {
        const QString port = m_runner.sockets().value(i).port;
        QString behind = port;
        if (const QRegularExpressionMatch number = com.match(port); number.hasMatch())
            behind = m_portMap ? m_portMap->devicePath(number.captured(1).toInt()) : QString();
        if (port.compare(name, Qt::CaseInsensitive) == 0 || (!device.isEmpty() && behind == device))
            refused << tr("插座%1（%2）").arg(i + 1).arg(port);
    }
    if (refused.isEmpty())
        return std::nullopt;
    return tr("%1 用的端口 %2 正由主窗口打开，量产不能再打开它；没有开始。"
              "请先在主窗口关闭端口。")
        .arg(refused.join(tr("、")), name);
}

bool GangWindow::prepared() {
    std::optional<QString> refusal = m_prepare ? m_prepare() : std::nullopt;
    if (!refusal) {
        // Every socket would fail alike on a scheme that never loads its
        // files: say so once, with what to do, before any socket starts. A
        // scheme that cannot be read is each socket's own report.
        try {
            refusal = unloadedFilesHint(SchemeFile::load(m_scheme));
        } catch (const OperationError&) {
        }
    }
    if (refusal)
        m_prompts.warning(windowTitle(), *refusal);
    return !refusal;
}

void GangWindow::chooseScheme() {
    if (m_runner.anyRunning())
        return;
    FileDialogRequest request;
    request.filter = tr("方案文件 (*.SET *.set)");
    request.initialDir = m_scheme;
    const std::optional<QString> path = m_prompts.openFile(request);
    if (!path || path->isEmpty())
        return;
    std::ignore = GangSockets::storeScheme(m_settings, *path);
    reload();
}

void GangWindow::configureSockets() {
    if (m_runner.anyRunning())
        return;
    GangSocketsDialog dialog(m_runner.sockets(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::ignore = GangSockets::store(m_settings, dialog.sockets());
    reload();
}

void GangWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The results' colours follow a change of the desktop's colours.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyTones(this);
}

void GangWindow::closeEvent(QCloseEvent* event) {
    // Closing the window stops its sockets between exchanges first.
    if (m_runner.anyRunning()) {
        m_runner.stopAll();
        event->ignore();
        connect(&m_runner, &GangRunner::allFinished, this, &QWidget::close,
                Qt::SingleShotConnection);
        return;
    }
    event->accept();
}

}  // namespace kv::ui
