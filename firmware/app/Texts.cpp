// SPDX-License-Identifier: MIT
// Written by firmware/tools/gbk-texts.py.
#include "Texts.h"

namespace texts {

const char kConnected[] PROGMEM = "\xC1\xAC\xBD\xD3\xB3\xC9\xB9\xA6!";  // 连接成功!
const char kFusesWritten[] PROGMEM =
    "\xC8\xDB\xCB\xBF\xCE\xBB\xD0\xB4\xC8\xEB\xB3\xC9\xB9\xA6!";  // 熔丝位写入成功!
const char kFusesNotWritten[] PROGMEM =
    "\xC8\xDB\xCB\xBF\xCE\xBB\xD0\xB4\xC8\xEB\xCA\xA7\xB0\xDC!";  // 熔丝位写入失败!
const char kFusesRecovered[] PROGMEM =
    "\xC8\xDB\xCB\xBF\xCE\xBB\xBB\xD6\xB8\xB4\xCD\xEA\xB3\xC9!";  // 熔丝位恢复完成!
const char kFusesNotRecovered[] PROGMEM =
    "\xC8\xDB\xCB\xBF\xCE\xBB\xBB\xD6\xB8\xB4\xCA\xA7\xB0\xDC!";  // 熔丝位恢复失败!
const char kLockWritten[] PROGMEM =
    "\xCB\xF8\xB6\xA8\xCE\xBB\xD0\xB4\xC8\xEB\xB3\xC9\xB9\xA6!";  // 锁定位写入成功!
const char kLockNotWritten[] PROGMEM =
    "\xCB\xF8\xB6\xA8\xCE\xBB\xD0\xB4\xC8\xEB\xCA\xA7\xB0\xDC!";  // 锁定位写入失败!
const char kErased[] PROGMEM =
    "\xD0\xBE\xC6\xAC\xB2\xC1\xB3\xFD\xCD\xEA\xB3\xC9!";  // 芯片擦除完成!
const char kEraseFailed[] PROGMEM =
    "\xD0\xBE\xC6\xAC\xB2\xC1\xB3\xFD\xCA\xA7\xB0\xDC!";  // 芯片擦除失败!
const char kFlashWritten[] PROGMEM = "FLASH\xD0\xB4\xC8\xEB\xCD\xEA\xB3\xC9!";  // FLASH写入完成!
const char kFlashFailed[] PROGMEM = "FLASH\xD0\xB4\xC8\xEB\xCA\xA7\xB0\xDC!";  // FLASH写入失败!
const char kUnknownCommand[] PROGMEM = "\xCE\xB4\xD6\xAA\xC3\xFC\xC1\xEE!";    // 未知命令!
const char kBadArguments[] PROGMEM =
    "\xC3\xFC\xC1\xEE\xB2\xCE\xCA\xFD\xB4\xED\xCE\xF3!";  // 命令参数错误!
const char kNoChip[] PROGMEM =
    "\xCE\xB4\xBC\xEC\xB2\xE2\xB5\xBD\xD0\xBE\xC6\xAC!";  // 未检测到芯片!
const char kSelfTest[] PROGMEM = "\xD7\xD4\xBC\xEC:";     // 自检:
const char kPassed[] PROGMEM = "\xCD\xA8\xB9\xFD";        // 通过
const char kFailed[] PROGMEM = "\xCA\xA7\xB0\xDC";        // 失败
const char kRail[] PROGMEM = "12V\xB5\xE7\xD4\xB4";       // 12V电源

}  // namespace texts
