// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "catalogue/AddressSpinner.h"
#include "catalogue/ChipModel.h"

namespace kv {

class SettingsStore;

// The selected model and everything selectModel puts on the window: the
// "MCUtypes" status panel, the selection caption and the four address
// box/spinner pairs. Before the first selection the sizes are 0 and the texts
// empty (the caption reads "AT").
class ModelState : public QObject {
    Q_OBJECT
public:
    // settings: where the chosen name is stored ("芯片"/"型号"); may be null
    // and set later, and must outlive this object.
    explicit ModelState(SettingsStore* settings = nullptr, QObject* parent = nullptr);
    void setSettings(SettingsStore* settings) { m_settings = settings; }

    // Selects the row named exactly `name`, or ATMEGA8 when no row is. Does not
    // reload the fuse definitions.
    void selectModel(const QString& name);

    bool hasSelection() const { return !m_model.name.isEmpty(); }
    const ChipModel& model() const { return m_model; }
    const QString& selectedModelName() const { return m_model.name; }
    int flashSize() const { return m_model.flashSize; }
    int eepromSize() const { return m_model.eepromSize; }
    int flashPageWords() const { return m_model.pageWords; }
    const QString& modelSignature() const { return m_model.signature; }

    // Status panel "MCUtypes", e.g. " ATMEGA8　FLASH:8192　EEPROM:512　ID:1E9307".
    const QString& mcuTypesText() const { return m_mcuTypesText; }
    // Caption of the selection label ("您选择的型号：").
    const QString& selectionCaption() const { return m_selCaption; }

    // Calibration destination: byte address in FLASH, with its spinner.
    AddressSpinner& flashCalibrationAddress() { return m_flashAddress; }
    // Calibration destination: byte address in EEPROM, with its spinner.
    AddressSpinner& eepromCalibrationAddress() { return m_eepromAddress; }
    // Single access, with its spinner: row 0 a FLASH word address, row 1 an
    // EEPROM byte address.
    AddressSpinner& singleAccessAddress(int row) { return m_singleAddress.at(row == 0 ? 0 : 1); }

    static QString mcuTypesTextFor(const ChipModel& model);

Q_SIGNALS:
    void changed();

private:
    SettingsStore* m_settings;
    ChipModel m_model;
    QString m_mcuTypesText;
    QString m_selCaption = QStringLiteral("AT");
    AddressSpinner m_flashAddress;
    AddressSpinner m_eepromAddress;
    std::array<AddressSpinner, 2> m_singleAddress;
};

}  // namespace kv
