// SPDX-License-Identifier: MIT
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>

#include "app/Language.h"
#include "app/Workbench.h"
#include "catalogue/ChipModelTable.h"
#include "ui/ClickableLabel.h"
#include "ui/FuseFrame.h"
#include "ui/ImageTab.h"
#include "ui/MainToolbar.h"
#include "ui/MainWindow.h"
#include "ui/OptionTree.h"
#include "ui/OtherTab.h"
#include "ui/ProgramOptionsBox.h"
#include "ui/StatusPanels.h"

namespace kv::ui {

namespace {

QColor toColor(const Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// The text box shows CR LF and lone CR line ends as line breaks.
QString shownText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// An address box and its spinner follow one AddressSpinner; every change of
// the box's text and every spinner move go back to it. Text that arrives
// without key presses (accessibility tools, input methods, setText) counts
// as much as typing: the commands read the state, not the box.
void bindSpinner(QObject* context, QLineEdit* box, QScrollBar* bar, AddressSpinner& state) {
    auto refresh = [box, bar, &state] {
        if (box->text() != state.text())
            box->setText(state.text());
        const QSignalBlocker block(bar);
        bar->setRange(state.minimum(), AddressSpinner::maximum());
        bar->setValue(state.value());
    };
    QObject::connect(&state, &AddressSpinner::changed, context, refresh);
    // A second digit typed past the largest address leaves the state as it
    // was, so no change is signalled: put the state's text back by hand.
    QObject::connect(box, &QLineEdit::textChanged, &state,
                     [box, &state, refresh](const QString& t) {
                         state.setText(t);
                         if (box->text() != state.text())
                             refresh();
                     });
    QObject::connect(bar, &QScrollBar::valueChanged, &state, &AddressSpinner::setValue);
    refresh();
}

// Selects the button with this id, or none.
void selectInGroup(QButtonGroup* group, std::optional<int> id) {
    QAbstractButton* wanted = id ? group->button(*id) : nullptr;
    if (wanted && wanted->isChecked())
        return;
    if (!wanted && !group->checkedButton())
        return;
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(b == wanted);
    group->setExclusive(true);
}

}  // namespace

void MainWindow::bindShell() {
    Workbench& wb = *m_workbench;
    m_toolbar->setModelMenu(ChipModelTable::menuEntries());
    connect(m_toolbar, &MainToolbar::commandTriggered, &wb, &Workbench::runCommand);
    connect(m_toolbar, &MainToolbar::modelChosen, &wb, &Workbench::selectModelFromMenu);
    // The gang window is the window's own; the logic has no part in opening it.
    connect(m_toolbar, &MainToolbar::commandTriggered, this, [this](CommandId id) {
        if (id == CommandId::Gang)
            showGangWindow();
    });
    // Every button of the window runs its command from the table.
    for (const CommandInfo& command : CommandTable::rows()) {
        if (command.placement != Placement::Window)
            continue;
        if (QAbstractButton* button = commandButton(command.id)) {
            const CommandId id = command.id;
            connect(button, &QAbstractButton::clicked, &wb, [&wb, id] { wb.runCommand(id); });
        }
    }
    connect(m_status, &StatusPanels::pictureClicked, &wb, &Workbench::requestPortToggle);
    connect(m_linkLabel, &ClickableLabel::clicked, &wb, &Workbench::openWebPage);
    connect(&wb, &Workbench::closeRequested, this, &QWidget::close);

    auto refreshConnection = [this, &wb] {
        const ConnectionState& c = wb.session().connection();
        m_status->showConnected(c.connected());
        m_status->setPanelText(QStringLiteral("COMStatus"), c.portText());
        m_toolbar->menuEntry(CommandTable::info(CommandId::OpenPort).key)
            ->setEnabled(c.openEntryEnabled());
        m_toolbar->menuEntry(CommandTable::info(CommandId::ClosePort).key)
            ->setEnabled(c.closeEntryEnabled());
    };
    connect(&wb.session().connection(), &ConnectionState::changed, this, refreshConnection);
    refreshConnection();
    connect(&wb.session().deviceControls(), &DeviceControls::changed, this,
            &MainWindow::refreshDeviceControls);
    connect(&wb.session().signature(), &SignatureReader::changed, this, [this, &wb] {
        m_otherTab->sigLabel->setText(wb.session().signature().signatureText());
        m_otherTab->currentModel->setText(wb.session().signature().identifiedModel());
        refreshDeviceControls();
    });
    connect(&wb.session().fuseCommands(), &FuseCommands::buttonsChanged, this,
            &MainWindow::refreshDeviceControls);
    connect(&wb.session().programPass(), &ProgramPass::runningChanged, this,
            &MainWindow::refreshDeviceControls);

    connect(&wb.session().log(), &MessageLog::changed, this, [this, &wb] {
        m_log->setPlainText(shownText(wb.session().log().text()));
        m_log->moveCursor(QTextCursor::End);
        m_log->ensureCursorVisible();
    });
}

void MainWindow::refreshDeviceControls() {
    Workbench& wb = *m_workbench;
    const bool on = wb.session().deviceControls().enabled();
    for (const CommandInfo* command : CommandTable::portControls(Placement::Toolbar)) {
        bool own = true;
        if (command->id == CommandId::ReadFuses)
            own = wb.session().fuseCommands().readFuseEnabled();
        if (command->id == CommandId::WriteFuses)
            own = wb.session().fuseCommands().writeFuseEnabled();
        if (QToolButton* b = m_toolbar->button(command->key))
            b->setEnabled(on && own);
    }
    for (const CommandInfo* command : CommandTable::portControls(Placement::Window)) {
        QWidget* control = commandButton(command->id);
        if (!control)
            continue;
        bool own = true;
        if (command->id == CommandId::ReadSignature)
            own = wb.session().signature().isReadEnabled();
        if (command->id == CommandId::RunPass)
            own = wb.session().programPass().isStartEnabled();
        // A button that loses focus by being disabled would hand it to the next
        // control in the tab chain, often a path box with its text selected,
        // where the next key press would overwrite the path.
        if (!(on && own) && control->hasFocus())
            setFocus(Qt::OtherFocusReason);
        control->setEnabled(on && own);
    }
}

void MainWindow::bindModel() {
    ModelState& model = m_workbench->session().model();
    connect(&model, &ModelState::changed, this, [this, &model] {
        m_status->setPanelText(QStringLiteral("MCUtypes"), model.mcuTypesText());
        m_otherTab->selectedModel->setText(model.selectionCaption());
    });
    bindSpinner(this, m_otherTab->flashAddress, m_otherTab->vScroll1,
                model.flashCalibrationAddress());
    bindSpinner(this, m_otherTab->eepromAddress, m_otherTab->vScroll2,
                model.eepromCalibrationAddress());
    for (int r = 0; r < 2; ++r)
        bindSpinner(this, m_otherTab->address[r], m_otherTab->vScroll3[r],
                    model.singleAccessAddress(r));
}

void MainWindow::bindFuses() {
    FuseEditor& fuses = m_workbench->session().fuses();
    connect(&fuses, &FuseEditor::cellsChanged, this, &MainWindow::refreshFuseCells);
    connect(&fuses, &FuseEditor::definitionsChanged, this, [this] {
        refreshOptionList();
        refreshFuseCells();
        refreshDefinitionsWarning();
    });
    connect(&fuses, &FuseEditor::checksChanged, this, &MainWindow::refreshOptionChecks);
    connect(&fuses, &FuseEditor::selectedOptionChanged, this, [this](int position) {
        if (QTreeWidgetItem* item = m_tree->entry(position))
            m_tree->setCurrentItem(item);
    });
    // Edits go through the controller, which refuses them while a command runs.
    Workbench& wb = *m_workbench;
    connect(m_tree, &OptionTree::nodeChecked, this, [this, &wb](int position, bool checked) {
        if (!wb.setFuseOptionChecked(position, checked))
            refreshOptionChecks();
    });
    connect(m_tree, &OptionTree::listClicked, &fuses, &FuseEditor::settlePendingOption);
    for (FuseFrame* frame : m_frames) {
        connect(frame, &FuseFrame::cellClicked, &wb, &Workbench::toggleFuseBit);
        connect(frame, &FuseFrame::doubleClicked, &wb, &Workbench::restoreDefaultFuseBits);
    }
    refreshOptionList();
    refreshFuseCells();
    refreshDefinitionsWarning();
}

void MainWindow::refreshDefinitionsWarning() {
    const QString& problem = m_workbench->session().fuses().definitionsProblem();
    m_definitionsWarning->setText(
        problem.isEmpty() ? QString()
                          : problem + tr("。\n右边的熔丝位和名称不是%1的定义，不能写入芯片。")
                                          .arg(m_workbench->session().model().selectedModelName()));
    m_definitionsWarning->setVisible(!problem.isEmpty());
}

void MainWindow::refreshFuseCells() {
    const FuseEditor& fuses = m_workbench->session().fuses();
    for (int i = 0; i < 32; ++i) {
        FuseFrame* frame = m_frames[i / 8];
        const FuseCell& cell = fuses.cell(i);
        // An unprogrammed bit is plain text: black on a light desktop, light on a dark one.
        const QColor colour =
            cell.colour == FuseCell::kUnprogrammedColour ? QColor() : toColor(cell.colour);
        frame->setCell(i, cell.caption, colour, cell.enabled);
        frame->setName(i, fuses.bitName(i).caption, fuses.bitName(i).enabled);
    }
    for (int b = 0; b < 4; ++b)
        m_frames[b]->setFrameTitle(fuses.frameCaption(b));
}

void MainWindow::refreshOptionList() {
    // In English the captions come from their own table; everything else an
    // option is (its key, marking, state) stays the definition file's.
    const bool english = currentLanguage() == Language::English;
    if (english && !m_englishCaptionsRead) {
        m_englishCaptions.load(m_workbench->session().fuses().definitionFolders());
        m_englishCaptionsRead = true;
    }
    const QString model = m_workbench->session().model().selectedModelName();
    QList<OptionTree::Entry> entries;
    for (const FuseOption& o : m_workbench->session().fuses().options()) {
        const QString caption = english ? m_englishCaptions.caption(model, o.key) : QString();
        entries.append(
            {o.key, caption.isEmpty() ? o.text : caption, o.checked, o.marked, o.shaded});
    }
    m_tree->setEntries(entries);
}

void MainWindow::refreshOptionChecks() {
    const auto& options = m_workbench->session().fuses().options();
    for (int i = 0; i < options.size(); ++i)
        m_tree->setChecked(i + 1, options[i].checked);
}

void MainWindow::bindImages() {
    Workbench& wb = *m_workbench;
    ImageSlot* slots[] = {&wb.session().flash(), &wb.session().eeprom()};
    ImageTab* tabs[] = {m_flashTab, m_eepromTab};
    const QString panels[] = {QStringLiteral("FLASH"), QStringLiteral("EEPROM")};
    for (int i = 0; i < 2; ++i) {
        ImageSlot* slot = slots[i];
        ImageTab* tab = tabs[i];
        QLineEdit* path = m_fileName[i];
        QProgressBar* bar = m_progress[i];
        const QString panel = panels[i];
        connect(slot, &ImageSlot::viewTextChanged, tab, &ImageTab::setViewText);
        connect(slot, &ImageSlot::pathTextChanged, path, [path](const QString& text) {
            if (path->text() != text)
                path->setText(text);
        });
        // Any change of the box, typed or not, is the path the loads use.
        connect(path, &QLineEdit::textChanged, slot, &ImageSlot::setPathText);
        connect(slot, &ImageSlot::panelTextChanged, this,
                [this, panel](const QString& text) { m_status->setPanelText(panel, text); });
        // A bar keeps its last value (100 after a whole write or read) until
        // the next command moves it.
        connect(slot, &ImageSlot::progressChanged, bar, &QProgressBar::setValue);
        tab->setViewText(slot->viewText());
        path->setText(slot->pathText());
        m_status->setPanelText(panel, slot->panelText());
        bar->setValue(slot->progress());
    }
}

void MainWindow::bindOptions() {
    ProgramOptions& options = m_workbench->session().options();
    auto refresh = [this, &options] {
        for (int i = 0; i < ProgramOptions::kCount; ++i)
            m_options->setValue(i, options.optionValue(i));
    };
    connect(&options, &ProgramOptions::changed, this, refresh);
    connect(m_options, &ProgramOptionsBox::valueChangedByUser, this,
            [this, refresh](int index, int value) {
                if (!m_workbench->setProgramOption(index, value))
                    refresh();
            });
    refresh();
}

void MainWindow::bindCalibration() {
    CalibrationState& cal = m_workbench->session().calibration();
    auto refresh = [this, &cal] {
        for (int s = 0; s < CalibrationState::kSlotCount; ++s) {
            m_otherTab->oaValue[s]->setText(cal.slotValue(s));
            m_otherTab->oaValue[s]->setEnabled(cal.isSlotEnabled(s));
            m_otherTab->selOa[s]->setEnabled(cal.isSlotEnabled(s));
        }
        selectInGroup(m_otherTab->oaGroup, cal.selectedSlot());
        selectInGroup(m_otherTab->feGroup, cal.selectedTarget());
        // The tip explains a disabled button only.
        m_otherTab->writeOa->setEnabled(cal.isWriteEnabled());
        m_otherTab->writeOa->setToolTip(cal.isWriteEnabled() ? QString() : tr("暂不可用"));
    };
    connect(&cal, &CalibrationState::changed, this, refresh);
    connect(m_otherTab->oaGroup, &QButtonGroup::idClicked, &cal,
            [&cal](int id) { cal.setSelectedSlot(id); });
    connect(m_otherTab->feGroup, &QButtonGroup::idClicked, &cal,
            [&cal](int id) { cal.setSelectedTarget(id); });
    refresh();
    Workbench& wb = *m_workbench;

    SingleAccessState& single = wb.session().singleAccess();
    auto refreshData = [this, &single] {
        for (int r = 0; r < 2; ++r)
            if (m_otherTab->data[r]->text() != single.dataText(r))
                m_otherTab->data[r]->setText(single.dataText(r));
    };
    connect(&single, &SingleAccessState::changed, this, refreshData);
    refreshData();
    for (int r = 0; r < 2; ++r) {
        connect(m_otherTab->data[r], &QLineEdit::textChanged, &single,
                [&single, r](const QString& text) { single.setDataText(r, text); });
    }
}

}  // namespace kv::ui
