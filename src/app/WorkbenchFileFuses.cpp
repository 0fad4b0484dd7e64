#include "app/Workbench.h"
#include "fuses/FileFuseBits.h"

namespace kv {

ElfLimits Workbench::elfLimits() const {
    ElfLimits limits;
    if (m_model.hasSelection()) {
        limits.flashSize = m_model.FlashSize();
        limits.eepromSize = m_model.EepromSize();
        limits.fuseBytes = modelFuseByteCount(m_model.SelectedModel());
    }
    return limits;
}

void Workbench::applyFileFuses() {
    const std::optional<FileFuses> file = m_files.fileFuses();
    if (!file) {
        m_log.SendInfo(
            QStringLiteral("载入的文件没有熔丝位和锁定位（只有 ELF 文件带有），熔丝位未改变。"));
        return;
    }
    m_log.SendInfo(applyFileFuseBits(m_fuseCommands, m_fuses, m_model.SelectedModel(),
                                     file->fileName, file->fuses, file->lock));
}

}  // namespace kv
