// SPDX-License-Identifier: MIT
#include "catalogue/ModelState.h"

#include <tuple>

#include "catalogue/ChipModelTable.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

namespace kv {

ModelState::ModelState(SettingsStore* settings, QObject* parent)
    : QObject(parent), m_settings(settings) {}

QString ModelState::mcuTypesTextFor(const ChipModel& model) {
    return QLatin1Char(' ') + model.name + QStringLiteral("　FLASH:") +
           QString::number(model.flashSize) + QStringLiteral("　EEPROM:") +
           QString::number(model.eepromSize) + QStringLiteral("　ID:") + model.signature;
}

void ModelState::selectModel(const QString& name) {
    m_model = ChipModelTable::resolve(name);
    m_mcuTypesText = mcuTypesTextFor(m_model);
    if (m_settings) {
        // A failure is in the log already; the selection holds for this run.
        std::ignore = m_settings->write(SettingsKeys::kChip, SettingsKeys::kModel, m_model.name);
    }
    m_selCaption = m_model.name;

    // The spinners count downwards from 0 to minus the largest address.
    const int lastFlashByte = m_model.flashSize - 1;
    const int lastEepromByte = m_model.eepromSize - 1;
    const int lastFlashWord = m_model.flashWords() - 1;

    m_flashAddress.setMinimum(-lastFlashByte);
    m_flashAddress.setValue(m_flashAddress.minimum());
    m_flashAddress.setText(QString::number(lastFlashByte));
    m_eepromAddress.setMinimum(-lastEepromByte);
    m_eepromAddress.setValue(m_eepromAddress.minimum());
    m_eepromAddress.setText(QString::number(lastEepromByte));

    m_singleAddress[0].setMinimum(-lastFlashWord);
    m_singleAddress[0].setText(QString::number(lastFlashWord));
    m_singleAddress[1].setMinimum(-lastEepromByte);
    m_singleAddress[1].setText(QString::number(lastEepromByte));

    Q_EMIT changed();
}

}  // namespace kv
