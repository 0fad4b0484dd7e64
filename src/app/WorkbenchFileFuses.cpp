// SPDX-License-Identifier: MIT
#include "app/Workbench.h"
#include "fuses/FileFuseBits.h"

namespace kv {

ElfLimits Workbench::elfLimits() const {
    ElfLimits limits;
    if (m_model.hasSelection()) {
        limits.flashSize = m_model.flashSize();
        limits.eepromSize = m_model.eepromSize();
        limits.fuseBytes = modelFuseByteCount(m_model.selectedModelName());
    }
    return limits;
}

void Workbench::applyFileFuses() {
    const std::optional<FileFuses> file = m_files.fileFuses();
    if (!file) {
        m_log.sendInfo(tr("载入的文件没有熔丝位和锁定位（只有 ELF 文件带有），熔丝位未改变。"));
        return;
    }
    m_log.sendInfo(applyFileFuseBits(m_fuseCommands, m_fuses, m_model.selectedModelName(),
                                     file->fileName, file->fuses, file->lock));
}

}  // namespace kv
