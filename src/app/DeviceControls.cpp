// SPDX-License-Identifier: MIT
#include "app/DeviceControls.h"

namespace kv {

const QStringList& DeviceControls::toolbarKeys() {
    static const QStringList keys{QStringLiteral("ReadFuse"),    QStringLiteral("WriteFuse"),
                                  QStringLiteral("WriteLock"),   QStringLiteral("RecoverFuse"),
                                  QStringLiteral("EraserFlash"), QStringLiteral("ProgramMCU"),
                                  QStringLiteral("CheckCOM")};
    return keys;
}

const QStringList& DeviceControls::windowControls() {
    static const QStringList names{
        QStringLiteral("ProCommand"),      QStringLiteral("ReadFlash"),
        QStringLiteral("ReadEEPROM"),      QStringLiteral("ReadSIG"),
        QStringLiteral("ReadOA"),          QStringLiteral("R_DataCommand_0"),
        QStringLiteral("R_DataCommand_1"), QStringLiteral("W_DataCommand_0"),
        QStringLiteral("W_DataCommand_1")};
    return names;
}

void DeviceControls::setEnabled(bool enabled) {
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Q_EMIT changed();
}

}  // namespace kv
