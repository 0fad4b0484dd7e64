// SPDX-License-Identifier: MIT
#pragma once

// The programmer's own text replies (UTF-8 here; sent encoded as GBK).
namespace kv::sim::texts {

inline constexpr char kConnected[] = "连接成功!";
inline constexpr char kFusesWritten[] = "熔丝位写入成功!";
inline constexpr char kFusesNotWritten[] = "熔丝位写入失败!";
inline constexpr char kFusesRecovered[] = "熔丝位恢复完成!";
inline constexpr char kLockWritten[] = "锁定位写入成功!";
inline constexpr char kErased[] = "芯片擦除完成!";
inline constexpr char kFlashWritten[] = "FLASH写入完成!";
inline constexpr char kUnknownCommand[] = "未知命令!";
// Wrong field length, a character that is not an upper-case hex digit, or a
// FLASH stream header with page size 0.
inline constexpr char kBadArguments[] = "命令参数错误!";

}  // namespace kv::sim::texts
