// SPDX-License-Identifier: MIT
#pragma once

// The programmer's text replies, GBK-encoded: the host decodes every text
// reply as GBK. Written by firmware/tools/gbk-texts.py, which holds them as
// readable text.

#include <avr/pgmspace.h>

namespace texts {

extern const char kConnected[] PROGMEM;          // 连接成功!
extern const char kFusesWritten[] PROGMEM;       // 熔丝位写入成功!
extern const char kFusesNotWritten[] PROGMEM;    // 熔丝位写入失败!
extern const char kFusesRecovered[] PROGMEM;     // 熔丝位恢复完成!
extern const char kFusesNotRecovered[] PROGMEM;  // 熔丝位恢复失败!
extern const char kLockWritten[] PROGMEM;        // 锁定位写入成功!
extern const char kLockNotWritten[] PROGMEM;     // 锁定位写入失败!
extern const char kErased[] PROGMEM;             // 芯片擦除完成!
extern const char kEraseFailed[] PROGMEM;        // 芯片擦除失败!
extern const char kFlashWritten[] PROGMEM;       // FLASH写入完成!
extern const char kFlashFailed[] PROGMEM;        // FLASH写入失败!
extern const char kUnknownCommand[] PROGMEM;     // 未知命令!
extern const char kBadArguments[] PROGMEM;       // 命令参数错误!
extern const char kNoChip[] PROGMEM;             // 未检测到芯片!
extern const char kSelfTest[] PROGMEM;           // 自检:
extern const char kPassed[] PROGMEM;             // 通过
extern const char kFailed[] PROGMEM;             // 失败
extern const char kRail[] PROGMEM;               // 12V电源

}  // namespace texts
