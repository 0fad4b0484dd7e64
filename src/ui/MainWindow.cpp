// SPDX-License-Identifier: MIT
#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>

#include "app/ImageFileDialogs.h"
#include "app/PassRecorder.h"
#include "app/ShellTexts.h"
#include "app/Workbench.h"
#include "link/StoppableSerialControl.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "ui/AboutBox.h"
#include "ui/Accessibility.h"
#include "ui/ClickableLabel.h"
#include "ui/FirmwareDialog.h"
#include "ui/FuseFrame.h"
#include "ui/GangWindow.h"
#include "ui/HelpWindow.h"
#include "ui/ImageTab.h"
#include "ui/MainToolbar.h"
#include "ui/OptionTree.h"
#include "ui/OtherTab.h"
#include "ui/PortSettingsDialog.h"
#include "ui/ProgramOptionsBox.h"
#include "ui/RecordSettingsDialog.h"
#include "ui/RecordViewer.h"
#include "ui/ShownText.h"
#include "ui/StatusPanels.h"
#include "ui/Tones.h"
#include "ui/Twips.h"

namespace kv::ui {

namespace {

// Client area in twips.
constexpr int kWidth = 10650;
constexpr int kHeight = 7050;
constexpr int kFrameLeft[] = {4260, 5820, 7440, 8970};
constexpr int kFrameWidth[] = {1635, 1695, 1575, 1545};

QFont windowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(9);
    return font;
}

}  // namespace

MainWindow::MainWindow(const MainWindowParts& parts, QWidget* parent)
    : QWidget(parent),
      m_dialogsOverride(parts.dialogs),
      m_clock(parts.clock),
      m_portMap(parts.portMap),
      m_stoppablePort(std::make_unique<StoppableSerialControl>(parts.port)) {
    setObjectName(QStringLiteral("frmMain"));
    setFont(windowFont());
    buildControls();
    WorkbenchPlatform platform{*m_stoppablePort,
                               parts.clock,
                               parts.pump,
                               parts.prompts,
                               m_dialogsOverride ? *m_dialogsOverride : *this,
                               parts.settings,
                               parts.dataFolder,
                               parts.portMap,
                               parts.passRecorder,
                               m_stoppablePort.get()};
    m_workbench = std::make_unique<Workbench>(platform);
    bindShell();
    bindModel();
    bindFuses();
    bindImages();
    bindOptions();
    bindCalibration();
    bindStop();
    bindFileMenus();
    setAcceptDrops(true);
    installWindowAccessibility();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    const Twips t = Twips::forWidget(this);
    // The design size is the smallest; growing gives room to the option
    // list, the hex views and the log (arrange()).
    setMinimumSize(t.size(kWidth, kHeight));
    resize(t.size(kWidth, kHeight));

    m_toolbar = new MainToolbar(this);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->setAccessibleName(tr("页面"));
    m_tabs->setAccessibleDescription(tr("熔丝选项、FLASH、EEPROM和其它；Alt+1至Alt+4切换"));
    auto* fusePage = new QWidget;
    m_tree = new OptionTree(fusePage);
    m_definitionsWarning = new QLabel(fusePage);
    m_definitionsWarning->setObjectName(QStringLiteral("FuseDefinitionsWarning"));
    m_definitionsWarning->setWordWrap(true);
    setTone(m_definitionsWarning, QColor(0xCD, 0, 0));
    m_definitionsWarning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_definitionsWarning->hide();
    m_tabs->addTab(fusePage, tr("熔丝选项"));
    m_flashTab = new ImageTab(QStringLiteral("FLASH"), t);
    m_tabs->addTab(m_flashTab, QStringLiteral("FLASH"));
    m_eepromTab = new ImageTab(QStringLiteral("EEPROM"), t);
    m_tabs->addTab(m_eepromTab, QStringLiteral("EEPROM"));
    m_otherTab = new OtherTab(t);
    m_tabs->addTab(m_otherTab, tr("其它"));

    for (int b = 0; b < 4; ++b)
        m_frames[b] = new FuseFrame(b, kFrameWidth[b], 2835, t, this);

    m_logBox = new QGroupBox(this);
    m_logBox->setObjectName(QStringLiteral("FrameInfo"));
    m_log = new QPlainTextEdit(m_logBox);
    m_log->setObjectName(QStringLiteral("InfoText"));
    m_log->setReadOnly(true);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_log->viewport()->installEventFilter(this);
    m_log->setAccessibleName(tr("信息"));
    m_log->setAccessibleDescription(tr("程序和编程器的信息，最新的在最后"));

    m_options = new ProgramOptionsBox(t, this);

    m_linkLabel = new ClickableLabel(this);
    m_linkLabel->setObjectName(QStringLiteral("Label2"));
    m_linkLabel->setCursor(Qt::PointingHandCursor);
    setRoleTone(m_linkLabel, QPalette::Link);
    m_linkLabel->setFocusPolicy(Qt::TabFocus);
    m_linkLabel->setAccessibleDescription(tr("在浏览器中打开网页"));

    const char* const memories[] = {"FLASH", "EEPROM"};
    for (int i = 0; i < 2; ++i) {
        m_fileName[i] = new QLineEdit(this);
        m_fileName[i]->setObjectName(QStringLiteral("FileNameText_%1").arg(i));
        m_openFile[i] = new QPushButton(tr("打开%1").arg(QLatin1String(memories[i])), this);
        m_openFile[i]->setObjectName(i == 0 ? QStringLiteral("OpenFFile")
                                            : QStringLiteral("OpenEFile"));
        m_progress[i] = new QProgressBar(this);
        m_progress[i]->setObjectName(i == 0 ? QStringLiteral("FlashProgressBar")
                                            : QStringLiteral("EepromProgressBar"));
        m_progress[i]->setRange(0, 100);
        m_progress[i]->setFormat(QStringLiteral("%p%"));
        m_progress[i]->reset();
        m_progress[i]->installEventFilter(this);
    }
    m_fileName[0]->setAccessibleName(tr("FLASH文件"));
    m_fileName[0]->setAccessibleDescription(tr("要写入FLASH的文件的路径"));
    m_fileName[1]->setAccessibleName(tr("EEPROM文件"));
    m_fileName[1]->setAccessibleDescription(tr("要写入EEPROM的文件的路径"));
    m_progress[0]->setAccessibleName(tr("FLASH进度"));
    m_progress[0]->setAccessibleDescription(tr("FLASH读写的进度"));
    m_progress[1]->setAccessibleName(tr("EEPROM进度"));
    m_progress[1]->setAccessibleDescription(tr("EEPROM读写的进度"));

    // Over the programming button, and there only while a command runs: the
    // button just pressed turns into its stop. It follows that button's place.
    QPushButton* program = m_options->programButton();
    m_stop = new QPushButton(style()->standardIcon(QStyle::SP_BrowserStop), tr("停止"), m_options);
    m_stop->setObjectName(QStringLiteral("StopCommand"));
    m_stop->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5));
    m_stop->setToolTip(tr("停止正在进行的操作，停在下一整页之前（Shift+F5）"));
    m_stop->setAccessibleName(tr("停止"));
    m_stop->setAccessibleDescription(tr("停止正在进行的操作，停在下一整页之前（Shift+F5）"));
    m_stop->setGeometry(program->geometry());
    m_stop->setEnabled(false);
    m_stop->hide();
    program->installEventFilter(this);

    m_status = new StatusPanels(t, this);
    describeCommands();
    arrange();
}

void MainWindow::describeCommands() {
    // Names, descriptions and keys of the window's buttons come from the table.
    for (const CommandInfo& command : CommandTable::rows()) {
        QAbstractButton* button =
            command.placement == Placement::Window ? commandButton(command.id) : nullptr;
        if (!button)
            continue;
        button->setAccessibleName(command.shownName());
        button->setAccessibleDescription(command.shownDescription());
        if (!command.shortcut)
            continue;
        const QKeySequence keys(QString::fromLatin1(command.shortcut));
        button->setToolTip(QStringLiteral("%1 (%2)").arg(command.shownName(),
                                                         keys.toString(QKeySequence::NativeText)));
        // Also for a button on a tab not shown, which comes to the front to
        // show what the command does; a disabled button ignores it.
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, button, [this, button] {
            if (!button->isEnabled())
                return;
            for (int i = 0; i < m_tabs->count(); ++i) {
                if (m_tabs->widget(i)->isAncestorOf(button))
                    m_tabs->setCurrentIndex(i);
            }
            button->click();
        });
    }
    // Alt+1 to Alt+4 bring up the tabs, whose captions stay as they are.
    for (int i = 0; i < m_tabs->count(); ++i) {
        const QKeySequence keys(Qt::ALT | Qt::Key(Qt::Key_1 + i));
        m_tabs->setTabToolTip(i, keys.toString(QKeySequence::NativeText));
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, m_tabs, [this, i] {
            m_tabs->setCurrentIndex(i);
            m_tabs->setFocus(Qt::ShortcutFocusReason);
        });
    }
}

void MainWindow::arrange() {
    const Twips t = Twips::forWidget(this);
    // What the window has beyond its design size: half of the width goes to
    // the tabs, half to the right column; all of the height to the tabs and
    // the log. At the design size every control stands where it always did.
    const QSize design = t.size(kWidth, kHeight);
    const int dx = std::max(0, width() - design.width());
    const int dy = std::max(0, height() - design.height());
    const int left = dx / 2, right = dx - left;
    auto place = [&t](QWidget* w, int l, int top, int width, int height, int moveX, int moveY,
                      int growX, int growY) {
        w->setGeometry(
            t.rect(l, top, width, height).translated(moveX, moveY).adjusted(0, 0, growX, growY));
    };
    place(m_toolbar, 0, 0, kWidth, 795, 0, 0, dx, 0);
    place(m_tabs, 60, 960, 4095, 5715, 0, 0, left, dy);
    place(m_tree, 30, 30, 3960, 5190, 0, 0, left, dy);
    place(m_definitionsWarning, 150, 150, 3720, 1800, 0, 0, left, 0);
    m_flashTab->setExtraSize(QSize(left, dy));
    m_eepromTab->setExtraSize(QSize(left, dy));

    // The fuse frames share the right column's growth; their names get it.
    int shifted = left;
    for (int b = 0; b < 4; ++b) {
        const int share = right * (b + 1) / 4 - right * b / 4;
        place(m_frames[b], kFrameLeft[b], 960, kFrameWidth[b], 2835, shifted, 0, share, 0);
        m_frames[b]->setNameWidth(t.px(kFrameWidth[b] - 450) + share);
        shifted += share;
    }
    // A quarter of the extra height each, up to a line of text, goes to the
    // progress bars so a taller window shows their percentage; the log has the rest.
    const int barGrowth = std::min(dy / 4, fontMetrics().height());
    const int logGrowth = dy - 2 * barGrowth;
    place(m_logBox, 4260, 3900, 3075, 1695, left, 0, right, logGrowth);
    place(m_log, 60, 150, 3075 - 120, 1695 - 210, 0, 0, right, logGrowth);
    place(m_options, 7380, 3900, 3135, 1935, dx, 0, 0, 0);
    place(m_linkLabel, 4320, 5640, 3045, 195, left, logGrowth, right, 0);
    for (int i = 0; i < 2; ++i) {
        const int top = 5940 + i * 360;
        const int down = logGrowth + i * barGrowth;
        place(m_fileName[i], 4260, top, 4935, 270, left, down, right, 0);
        place(m_openFile[i], 9210, top, 1125, 285, dx, down, 0, 0);
        place(m_progress[i], 4260, top + 300, 4905, 60, left, down, right, barGrowth);
    }
    place(m_status, 0, 6675, kWidth, 375, 0, dy, dx, 0);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_toolbar)
        arrange();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ApplicationPaletteChange) {
        applyTones(this);
        if (m_workbench)
            refreshFuseCells();
    }
}

void MainWindow::load() {
    // The title comes first: boxes shown during the start-up belong to it.
    // In English the title ends without the Chinese padding.
    const QString title = shownText(m_workbench->appCaption());
    setWindowTitle(title == m_workbench->appCaption() ? title : title.trimmed());
    m_tabs->setCurrentIndex(0);
    m_workbench->start();
    m_linkLabel->setText(m_workbench->linkCaption());
    m_linkLabel->setAccessibleName(m_linkLabel->text());
    // Where and how large it was last time; else centred on the screen.
    const QString stored = m_workbench->session().platform().settings.read(
        SettingsKeys::kWindow, SettingsKeys::kWindowGeometry);
    if (!stored.isEmpty() && restoreGeometry(QByteArray::fromBase64(stored.toLatin1())))
        return;
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->geometry();
        move(area.left() + (area.width() - frameGeometry().width()) / 2,
             area.top() + (area.height() - frameGeometry().height()) / 2);
    }
}

QAbstractButton* MainWindow::commandButton(CommandId id) const {
    switch (id) {
        case CommandId::RunPass:
            return m_options->programButton();
        case CommandId::ReadFlash:
            return m_flashTab->readButton();
        case CommandId::ReadEeprom:
            return m_eepromTab->readButton();
        case CommandId::ReadSignature:
            return m_otherTab->readSig;
        case CommandId::ReadCalibration:
            return m_otherTab->readOa;
        case CommandId::WriteCalibration:
            return m_otherTab->writeOa;
        case CommandId::ReadFlashWord:
            return m_otherTab->readData[0];
        case CommandId::ReadEepromByte:
            return m_otherTab->readData[1];
        case CommandId::WriteFlashWord:
            return m_otherTab->writeData[0];
        case CommandId::WriteEepromByte:
            return m_otherTab->writeData[1];
        case CommandId::OpenFlashFile:
            return m_openFile[0];
        case CommandId::OpenEepromFile:
            return m_openFile[1];
        case CommandId::SaveFlashFile:
            return m_flashTab->saveButton();
        case CommandId::SaveEepromFile:
            return m_eepromTab->saveButton();
        default:
            return nullptr;
    }
}

void MainWindow::bindStop() {
    CommandRunner& runner = m_workbench->runner();
    connect(m_stop, &QPushButton::clicked, &runner, &CommandRunner::requestStop);
    connect(&runner, &CommandRunner::exchangeRunningChanged, this, [this](bool running) {
        const bool stoppable = running && m_workbench->runner().canStop();
        m_stop->setEnabled(stoppable);
        m_stop->setVisible(stoppable);
        if (stoppable)
            m_stop->raise();
    });
}

namespace {

// The local files among dropped URLs.
QStringList droppedFiles(const QMimeData* data) {
    QStringList paths;
    if (!data)
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            paths << url.toLocalFile();
    }
    return paths;
}

}  // namespace

void MainWindow::bindFileMenus() {
    Workbench& wb = *m_workbench;
    if (QMenu* schemes = m_toolbar->menuOf(CommandTable::info(CommandId::Schemes).key)) {
        QMenu* recent = schemes->addMenu(tr("最近打开"));
        recent->setObjectName(QStringLiteral("RecentFiles"));
        // Filled as it opens: files deleted meanwhile are no longer offered.
        connect(recent, &QMenu::aboutToShow, this, [this, recent, &wb] {
            recent->clear();
            const QStringList paths = wb.recentFiles().entries();
            for (const QString& path : paths) {
                QAction* entry = recent->addAction(QDir::toNativeSeparators(path));
                connect(entry, &QAction::triggered, this, [this, path] { openFiles({path}); });
            }
            if (paths.isEmpty())
                recent->addAction(tr("（无）"))->setEnabled(false);
        });
    }
    // The log's own menu, plus saving and clearing it (a double click still clears).
    m_log->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_log, &QWidget::customContextMenuRequested, this, [this, &wb](const QPoint& at) {
        QMenu* menu = m_log->createStandardContextMenu(at);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addSeparator();
        QAction* save = menu->addAction(tr("保存日志..."));
        save->setObjectName(QStringLiteral("SaveLog"));
        connect(save, &QAction::triggered, &wb, [&wb] { wb.saveLog(); });
        QAction* clear = menu->addAction(tr("清空日志"));
        clear->setObjectName(QStringLiteral("ClearLog"));
        connect(clear, &QAction::triggered, &wb, &Workbench::clearLog);
        menu->popup(m_log->viewport()->mapToGlobal(at));
    });
}

void MainWindow::openFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (Workbench::isSchemeFile(path) || memoryForFile(path)) {
            m_workbench->openFile(path);
            continue;
        }
        QMessageBox box(QMessageBox::Question, windowTitle(),
                        tr("%1 要载入FLASH还是EEPROM？").arg(QFileInfo(path).fileName()),
                        QMessageBox::Cancel, this);
        QAbstractButton* flash = box.addButton(QStringLiteral("FLASH"), QMessageBox::AcceptRole);
        QAbstractButton* eeprom = box.addButton(QStringLiteral("EEPROM"), QMessageBox::AcceptRole);
        box.exec();
        if (box.clickedButton() == flash)
            m_workbench->openFile(path, MemoryKind::Flash);
        else if (box.clickedButton() == eeprom)
            m_workbench->openFile(path, MemoryKind::Eeprom);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended: a question box must not hold the other program's drag.
    QTimer::singleShot(0, this, [this, paths] { openFiles(paths); });
}

void MainWindow::offerStopOnClose() {
    if (m_closeQuestion)
        return;
    auto* box =
        new QMessageBox(QMessageBox::Question, windowTitle(),
                        tr("正在与编程器通讯。\n停止本次操作（停在下一整页之前）并关闭窗口吗？\n"
                           "选“否”则等本次操作结束后关闭。"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("StopOnCloseQuestion"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setDefaultButton(QMessageBox::Cancel);
    m_closeQuestion = box;
    // Not a nested loop: the command goes on while the question is up.
    connect(box, &QMessageBox::finished, this, [this](int answer) {
        if (answer != QMessageBox::Yes && answer != QMessageBox::No)
            return;
        m_closeAnswered = true;
        m_closeQuestion = nullptr;  // answered: the close below is not asked again
        if (answer == QMessageBox::Yes)
            m_workbench->runner().requestStop();
        // The command may have ended meanwhile; otherwise the close follows its end.
        close();
    });
    box->open();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Asked once: the answer's own close() comes back here.
    if (m_closeQuestion || (m_workbench->runner().canStop() && !m_closeAnswered)) {
        offerStopOnClose();
        event->ignore();
        return;
    }
    if (!m_workbench->requestClose()) {
        event->ignore();
        return;
    }
    if (!m_closing) {
        m_closing = true;
        m_workbench->storeSetUp();
        // A failure is reported by the store; the window closes all the same.
        static_cast<void>(m_workbench->session().platform().settings.write(
            SettingsKeys::kWindow, SettingsKeys::kWindowGeometry,
            QString::fromLatin1(saveGeometry().toBase64())));
    }
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The percentage shows where the bar is tall enough to hold it; a cut
    // one would be unreadable.
    if (event->type() == QEvent::Resize) {
        for (QProgressBar* bar : m_progress) {
            if (watched == bar)
                bar->setTextVisible(bar->height() >= bar->fontMetrics().height());
        }
    }
    if (watched == m_options->programButton() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        m_stop->setGeometry(m_options->programButton()->geometry());
    if (watched == m_log->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        m_workbench->session().log().reset();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showAbout() {
    AboutBox box(
        ShellTexts::productLine(m_workbench->appCaption()), ShellTexts::aboutText(),
        ShellTexts::webPage(), [this](const QUrl& url) { openExternal(url); }, this);
    box.exec();
}

void MainWindow::showPortSettings() {
    Workbench& wb = *m_workbench;
    PortSettingsDialog dialog(wb.session().link(), wb.session().platform().settings,
                              wb.session().platform().prompts, wb.session().portSettingsState(),
                              wb.portSettingsHooks(), m_portMap, this);
    dialog.exec();
    wb.refreshConnection();
}

void MainWindow::showGangWindow() {
    if (!m_gangWindow) {
        Workbench& wb = *m_workbench;
        m_gangWindow =
            new GangWindow(wb.session().platform().settings, wb.session().platform().prompts,
                           m_clock, GangRunner::defaultCliPath(), m_portMap, this);
        m_gangWindow->setPreparation([&wb]() -> std::optional<QString> {
            return wb.record().recorder() ? wb.record().recorder()->admit() : std::nullopt;
        });
        m_gangWindow->setHeldPort([&wb]() -> std::optional<int> {
            const SerialControl& port = wb.session().platform().port;
            return port.isOpen() ? std::optional<int>(port.portNumber()) : std::nullopt;
        });
    }
    m_gangWindow->show();
    m_gangWindow->raise();
    m_gangWindow->activateWindow();
}

void MainWindow::showFirmwareDialog() {
    Workbench& wb = *m_workbench;
    FirmwareDialog dialog(
        wb.session().link(), wb.session().platform().settings, wb.session().platform().prompts,
        [&wb] { wb.refreshConnection(); }, this);
    dialog.exec();
}

void MainWindow::showRecordViewer() {
    // One viewer at a time: asking again brings it forward.
    if (!m_recordViewer) {
        Workbench& wb = *m_workbench;
        m_recordViewer =
            new RecordViewer(RecordPolicy::fromSettings(wb.session().platform().settings).url,
                             wb.session().platform().prompts, this);
    }
    m_recordViewer->show();
    m_recordViewer->raise();
    m_recordViewer->activateWindow();
}

RecordViewer* MainWindow::recordViewer() const {
    return m_recordViewer.data();
}

void MainWindow::showRecordSettings() {
    Workbench& wb = *m_workbench;
    RecordSettingsDialog dialog(wb.session().platform().settings, wb.session().platform().prompts,
                                this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const RecordPolicy policy = RecordPolicy::fromSettings(wb.session().platform().settings);
    if (wb.record().recorder())
        wb.record().recorder()->setPolicy(policy);
    if (m_recordViewer)
        m_recordViewer->setUrl(policy.url);
}

bool MainWindow::openExternal(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

HelpWindow* MainWindow::helpWindow() const {
    return m_helpWindow;
}

bool MainWindow::showHelp(const QUrl& page) {
    if (!m_helpWindow)
        m_helpWindow = new HelpWindow(this);
    if (!m_helpWindow->showPage(page))
        return false;
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
    return true;
}

}  // namespace kv::ui
