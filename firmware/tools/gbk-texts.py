#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes firmware/app/Texts.h and Texts.cpp: the firmware's text replies as GBK
byte strings.

The host decodes every text reply as GBK, and avr-g++ has no GBK execution
character set, so the bytes are spelled out here once, from readable UTF-8.
"""
import pathlib

TEXTS = [
    ("kConnected", "连接成功!"),
    ("kFusesWritten", "熔丝位写入成功!"),
    ("kFusesNotWritten", "熔丝位写入失败!"),
    ("kFusesRecovered", "熔丝位恢复完成!"),
    ("kFusesNotRecovered", "熔丝位恢复失败!"),
    ("kLockWritten", "锁定位写入成功!"),
    ("kLockNotWritten", "锁定位写入失败!"),
    ("kErased", "芯片擦除完成!"),
    ("kEraseFailed", "芯片擦除失败!"),
    ("kFlashWritten", "FLASH写入完成!"),
    ("kFlashFailed", "FLASH写入失败!"),
    ("kUnknownCommand", "未知命令!"),
    ("kBadArguments", "命令参数错误!"),
    ("kNoChip", "未检测到芯片!"),
    ("kSelfTest", "自检:"),
    ("kPassed", "通过"),
    ("kFailed", "失败"),
    ("kRail", "12V电源"),
]


def c_string(text: str) -> str:
    out = ""
    after_escape = False
    for byte in text.encode("gbk"):
        if byte >= 0x80:
            out += "\\x%02X" % byte
            after_escape = True
            continue
        ch = chr(byte)
        if after_escape and ch in "0123456789abcdefABCDEF":
            out += '" "'  # a hex digit would extend the escape
        out += ch
        after_escape = False
    return '"' + out + '"'


def main() -> None:
    header = [
        "// SPDX-License-Identifier: MIT",
        "#pragma once",
        "",
        "// The programmer's text replies, GBK-encoded: the host decodes every text",
        "// reply as GBK. Written by firmware/tools/gbk-texts.py, which holds them as",
        "// readable text.",
        "",
        "#include <avr/pgmspace.h>",
        "",
        "namespace texts {",
        "",
    ]
    source = [
        "// SPDX-License-Identifier: MIT",
        "// Written by firmware/tools/gbk-texts.py.",
        '#include "Texts.h"',
        "",
        "namespace texts {",
        "",
    ]
    for name, text in TEXTS:
        header.append(f"extern const char {name}[] PROGMEM;  // {text}")
        source.append(f"const char {name}[] PROGMEM = {c_string(text)};  // {text}")
    header += ["", "}  // namespace texts", ""]
    source += ["", "}  // namespace texts", ""]
    app = pathlib.Path(__file__).resolve().parent.parent / "app"
    (app / "Texts.h").write_text("\n".join(header), encoding="utf-8")
    (app / "Texts.cpp").write_text("\n".join(source), encoding="utf-8")


if __name__ == "__main__":
    main()
