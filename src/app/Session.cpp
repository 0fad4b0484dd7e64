// SPDX-License-Identifier: MIT
#include "app/Session.h"

#include <QDir>

#include "app/ShellTexts.h"
#include "fuses/FileFuseBits.h"
#include "link/SerialControl.h"
#include "operations/ImageReader.h"
#include "operations/ImageWriter.h"
#include "operations/WindowEvents.h"
#include "pass/ProgrammerKinds.h"
#include "settings/SettingsStore.h"

namespace kv {

Session::Session(const WorkbenchPlatform& p)
    : m_platform(p),
      m_appCaption(ShellTexts::windowTitle()),
      m_link(p.port, p.clock, p.pump, [this](const QString& m) { m_log.sendInfo(m); }),
      m_programmer(programmerKinds().front().make(m_link)),
      m_model(&p.settings),
      m_signature(*m_programmer),
      m_fuseCommands(*m_programmer, m_fuses),
      m_flash(MemoryKind::Flash),
      m_eeprom(MemoryKind::Eeprom),
      m_files(m_flash, m_eeprom, p.pump, [this](const QString& m) { m_log.sendInfo(m); }) {
    auto geometry = [this] {
        return MemoryGeometry{m_model.flashSize(), m_model.eepromSize(), m_model.flashPageWords()};
    };
    m_programmer->setEventSink(windowEvents(m_link, m_flash, m_eeprom));
    Programmer& programmer = *m_programmer;
    m_reader = std::make_unique<ImageReader>(programmer, m_flash, m_eeprom, geometry);
    m_writer = std::make_unique<ImageWriter>(programmer, m_flash, m_eeprom, geometry);
    m_calibrationBytes = std::make_unique<CalibrationBytes>(programmer, m_model, m_calibration);
    m_single = std::make_unique<SingleAccess>(programmer, m_model, m_singleState);
    m_pass = std::make_unique<ProgramPass>(ProgramPass::Parts{m_link, programmer, m_model,
                                                              m_options, m_flash, m_eeprom, m_files,
                                                              m_fuseCommands, *m_calibrationBytes});

    m_files.setElfLimits([this] { return elfLimits(); });
    m_fuses.setLog([this](const QString& m) { m_log.sendInfo(m); });
    m_fuses.setDefinitionFolders({QDir(p.dataFolder).filePath(QStringLiteral("Set")),
                                  QStringLiteral(KV_INSTALL_DATADIR "/Set")});
    // A set-up that cannot be stored must not be lost without a word.
    p.settings.setFailureReport([this](const QString& m) { m_log.sendInfo(m); });
}

Session::~Session() {
    m_platform.settings.setFailureReport(nullptr);
}

ElfLimits Session::elfLimits() const {
    ElfLimits limits;
    if (m_model.hasSelection()) {
        limits.flashSize = m_model.flashSize();
        limits.eepromSize = m_model.eepromSize();
        limits.fuseBytes = modelFuseByteCount(m_model.selectedModelName());
    }
    return limits;
}

void Session::reloadFuseDefinitions() {
    m_fuses.loadFuseDefinitions(m_model.selectedModelName() + QStringLiteral(".FUS"));
}

}  // namespace kv
