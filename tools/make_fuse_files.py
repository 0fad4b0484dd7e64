#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the fuse definition files data/Set/<MODEL>.FUS from the chip facts.

Input: data/Set/models.txt (the models, in table order, and whether the
programmer is sent their extended fuse byte), tests/data/avr-fuse-facts.json
(bit names, factory defaults and the vendor bitfields of each model; the
later parts' entries were checked against the datasheet sections named in
DATASHEET below) and the Chinese caption tables below.
Output: one file per model, code page 936 (GBK), CR LF line ends:

    line 1       factory default, 32 characters "1"/"0"/"*" (lock, extended,
                 high, low; bit 7 first); "*" marks a bit the program cannot use
    lines 2-33   the 32 bit names in the same order (empty for "*" bits)
    comments     up to the first line that is exactly "##"
    options      text{KIND TAG MASK/VALUE> up to the closing "##"

Also data/Set/captions-en.txt (UTF-8, LF): the English caption of every
option, one line "MODEL<TAB>KEY<TAB>caption", which the window shows in
English instead of the file's Chinese text. It carries words only: masks,
values and the red marking stay in the .FUS files.

Run from anywhere: python3 tools/make_fuse_files.py [--check]
--check compares the generated text with the files on disk and fails on any
difference (nothing is written).
"""

import json
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
FACTS = ROOT / "tests" / "data" / "avr-fuse-facts.json"
OUT_DIR = ROOT / "data" / "Set"
CAPTIONS_EN = OUT_DIR / "captions-en.txt"

MODEL_TABLE = OUT_DIR / "models.txt"


def read_model_table():
    """[(name, extended fuse byte sent)] in table order, from data/Set/models.txt:
    every model the program knows gets its file, from the facts whose key is
    the name in any case."""
    rows = []
    for line in MODEL_TABLE.read_text(encoding="utf-8").splitlines():
        fields = line.split("#", 1)[0].split()
        if fields:
            assert len(fields) == 7 and fields[6] in ("yes", "no"), line
            rows.append((fields[0], fields[6] == "yes"))
    return rows


def facts_key(model, facts):
    keys = [k for k in facts if k.upper() == model]
    if len(keys) != 1:
        raise SystemExit("no facts for %s" % model)
    return keys[0]


# The programmer is sent the extended fuse byte only for the models whose row
# says so ("WS"/"SS" carry ".." for every other one), so an extended byte
# elsewhere cannot be written and is left out ("*"). Filled from the table.
EXTENDED_FUSE_MODELS = set()

BYTES = ["lock", "extended", "high", "low"]  # order of the 32-character text

# Two-character tags. Only letters G-Z: a tag never forms hex digits with the
# kind letters or the mask, so no key can contain another group's mask text.
TAGS = {
    "SUT_CKSEL": "SZ", "CKSEL": "SZ", "PLLCK_SUT_CKSEL": "SZ",
    "BODLEVEL": "QY", "BOOTSZ": "YQ",
    "LB": "LK", "BLB0": "LY", "BLB1": "LQ",
    "RSTDISBL": "RS", "DWEN": "WN", "SPIEN": "SP", "WDTON": "WT", "EESAVE": "SV",
    "CKDIV8": "PV", "CKOUT": "KO", "BOOTRST": "RV", "CKOPT": "OP", "OCDEN": "TS",
    "JTAGEN": "JT", "S8535C": "JR", "S8515C": "JR", "M161C": "JR", "BODEN": "QJ",
    "SUT": "SU", "SELFPRGEN": "ZP",
}

# Single-bit options: the text says what a checked box (bit programmed, 0) does.
# A trailing "*" shows the option in red: the wrong state locks out low-voltage
# serial programming.
FLAG_TEXT = {
    "RSTDISBL": "禁用外部复位，复位脚{pin}作I/O口（RSTDISBL）：选中后不能再用ISP串行编程*",
    "DWEN": "启用debugWIRE调试（DWEN）：选中后复位脚作调试线，不能再用ISP串行编程*",
    "SPIEN": "允许ISP串行下载编程（SPIEN）：取消后不能再用ISP串行编程*",
    "WDTON": "看门狗定时器始终开启（WDTON）",
    "EESAVE": "擦除芯片时保留EEPROM内容（EESAVE）",
    "CKDIV8": "系统时钟8分频（CKDIV8）",
    "CKOUT": "系统时钟从{pin}脚输出（CKOUT）",
    "BOOTRST": "复位后从引导区（Boot区）开始执行（BOOTRST）",
    "CKOPT": "振荡器选项（CKOPT），作用取决于时钟源的选择",
    "OCDEN": "启用片上调试（OCDEN）",
    "JTAGEN": "启用JTAG接口（JTAGEN）",
    "S8535C": "AT90S4434/8535兼容模式（S8535C）",
    "S8515C": "AT90S4414/8515兼容模式（S8515C）",
    "M161C": "ATmega161兼容模式（M161C）",
    "BODEN": "启用掉电检测BOD（BODEN）",
    "SUT": "启动时间选择（SUT）",
    "SELFPRGEN": "允许自编程，SPM指令可写FLASH（SELFPRGEN）",
}

FLAG_TEXT_EN = {
    "RSTDISBL": "Disable external reset, reset pin{pin} as I/O (RSTDISBL): "
                "no ISP serial programming once checked",
    "DWEN": "Enable debugWIRE (DWEN): the reset pin becomes the debug line, "
            "no ISP serial programming once checked",
    "SPIEN": "Enable ISP serial programming (SPIEN): no ISP serial programming once unchecked",
    "WDTON": "Watchdog timer always on (WDTON)",
    "EESAVE": "Keep the EEPROM contents through chip erase (EESAVE)",
    "CKDIV8": "Divide the system clock by 8 (CKDIV8)",
    "CKOUT": "System clock output on pin{pin} (CKOUT)",
    "BOOTRST": "Start from the boot section after reset (BOOTRST)",
    "CKOPT": "Oscillator option (CKOPT), its effect depends on the clock source",
    "OCDEN": "Enable on-chip debugging (OCDEN)",
    "JTAGEN": "Enable the JTAG interface (JTAGEN)",
    "S8535C": "AT90S4434/8535 compatibility mode (S8535C)",
    "S8515C": "AT90S4414/8515 compatibility mode (S8515C)",
    "M161C": "ATmega161 compatibility mode (M161C)",
    "BODEN": "Enable brown-out detection (BODEN)",
    "SUT": "Start-up time select (SUT)",
    "SELFPRGEN": "Enable self-programming, SPM may write FLASH (SELFPRGEN)",
}

# Group labels put before each choice of a multi-bit field.
GROUP_LABEL = {
    "SUT_CKSEL": "时钟源", "CKSEL": "时钟源", "PLLCK_SUT_CKSEL": "时钟源",
    "BODLEVEL": "掉电检测电平", "BOOTSZ": "引导区大小",
    "LB": "加密", "BLB0": "应用区保护", "BLB1": "引导区保护",
}
GROUP_LABEL_EN = {
    "SUT_CKSEL": "Clock source", "CKSEL": "Clock source", "PLLCK_SUT_CKSEL": "Clock source",
    "BODLEVEL": "Brown-out level", "BOOTSZ": "Boot size",
    "LB": "Memory lock", "BLB0": "Application section protection",
    "BLB1": "Boot section protection",
}

# Clock sources, matched against the part of the vendor caption before the
# first ";" (or before a trailing power condition), spaces collapsed.
CLOCK_SOURCES = [
    (r"(?:Ext\.? Clock|External Clock)", "外部时钟", "External clock"),
    (r"Int\. RC Osc\.", "内部RC振荡器", "Internal RC oscillator"),
    (r"Int\. RC Osc\. (\d+) ?(MHz|kHz)", r"内部RC振荡器 \1 \2", r"Internal RC oscillator \1 \2"),
    (r"Internal RC O(?:cs|sc)illator", "内部RC振荡器", "Internal RC oscillator"),
    (r"Ext\. RC Osc\. - ([\d.]+) MHz", r"外部RC振荡器 \1 MHz以下",
     r"External RC oscillator up to \1 MHz"),
    (r"Ext\. RC Osc\. ([\d.]+) MHz - ([\d.]+) MHz", r"外部RC振荡器 \1~\2 MHz",
     r"External RC oscillator \1-\2 MHz"),
    (r"External RC Oscillator", "外部RC振荡器", "External RC oscillator"),
    (r"(?:Ext\. Low-Freq\. Crystal|External Low-Frequency Crystal)", "外部低频晶振",
     "External low-frequency crystal"),
    (r"Ext\. Crystal/Resonator Low Freq\.", "外部晶振/陶瓷谐振器（低频档）",
     "External crystal/resonator, low frequency"),
    (r"Ext\. Crystal/Resonator Medium Freq\.", "外部晶振/陶瓷谐振器（中频档）",
     "External crystal/resonator, medium frequency"),
    (r"Ext\. Crystal/Resonator High Freq\.", "外部晶振/陶瓷谐振器（高频档）",
     "External crystal/resonator, high frequency"),
    (r"Ext\. Full-swing Crystal", "外部全摆幅晶振", "External full-swing crystal"),
    (r"Ext\. Crystal Osc\. ([\d.]+)-([\d.]+) MHz", r"外部晶振 \1~\2 MHz",
     r"External crystal \1-\2 MHz"),
    (r"Ext\. Crystal Osc\. ([\d.]+)- MHz", r"外部晶振 \1 MHz以上", r"External crystal above \1 MHz"),
    (r"(?:Crystal Oscillator|Crystal Osc)", "外部晶振", "External crystal"),
    (r"Ceramic Resonator ?/ ?External Clock", "陶瓷谐振器/外部时钟", "Ceramic resonator/external clock"),
    (r"Ceramic Resonator", "陶瓷谐振器", "Ceramic resonator"),
    (r"PLL Clock", "内部PLL时钟", "Internal PLL clock"),
]

# Further parts of a clock caption.
CLOCK_PARTS = [
    (r"Start-up time PWRDWN/RESET: (.+)", r"启动时间（掉电/复位）\1",
     r"start-up time (power-down/reset) \1"),
    (r"Start-up time: (.+)", r"启动时间 \1", r"start-up time \1"),
    (r"fast rising power", "电源快速上升", "fast rising power"),
    (r"[Ss]lowly rising power", "电源缓慢上升", "slowly rising power"),
    (r"BOD enabled", "配合BOD使用", "with BOD enabled"),
    (r"BOD Enabled or power-on reset", "配合BOD或上电复位使用", "with BOD or power-on reset"),
    (r"Int\. Cap\.", "使用内部负载电容", "internal load capacitors"),
]
POWER_SUFFIX = r"^(.*?) (fast rising power|slowly rising power|BOD enabled)$"

BOOTSZ_RE = r"Boot Flash ?size=(\d+) words (?:Boot|start) address=\$([0-9A-F]+)"

LOCK_TEXT_EN = {
    "LB": {
        "NO_LOCK": "No lock",
        "PROG_DISABLED": "Further programming of FLASH and EEPROM disabled, fuses locked too "
                         "(chip erase unlocks)",
        "PROG_VER_DISABLED": "Further programming and verification of FLASH and EEPROM "
                             "disabled, fuses locked too (chip erase unlocks)",
    },
    "BLB": {
        "NO_LOCK": "No restriction on SPM and LPM in the {sec}",
        "SPM_DISABLE": "SPM may not write the {sec}",
        "LPM_DISABLE": "LPM may not read the {sec}",
        "LPM_SPM_DISABLE": "SPM may not write and LPM may not read the {sec}",
    },
}
LOCK_TEXT = {
    "LB": {
        "NO_LOCK": "不加密",
        "PROG_DISABLED": "禁止再编程FLASH和EEPROM，熔丝位也被锁定（擦除芯片才能解除）*",
        "PROG_VER_DISABLED": "禁止再编程和校验读出FLASH和EEPROM，熔丝位也被锁定"
                             "（擦除芯片才能解除）*",
    },
    "BLB": {
        "NO_LOCK": "不限制SPM和LPM访问{sec}",
        "SPM_DISABLE": "禁止SPM写{sec}",
        "LPM_DISABLE": "禁止LPM读{sec}",
        "LPM_SPM_DISABLE": "禁止SPM写和LPM读{sec}",
    },
}
# Pre-ATDF lock captions carry no symbolic name; map the vendor caption.
LOCK_NAME_BY_CAPTION = {
    "No memory lock features enabled": "NO_LOCK",
    "Further programming disabled": "PROG_DISABLED",
    "Further programming and verification disabled": "PROG_VER_DISABLED",
}
BLB_NAME_BY_VALUE = {0: "LPM_SPM_DISABLE", 1: "LPM_DISABLE", 2: "SPM_DISABLE", 3: "NO_LOCK"}

SOURCE_TEXT = {
    "datasheet": "数据来源：数据手册的熔丝位和锁定位表（出厂值、位的排列），选项文字沿用同系列"
                 "型号的厂商器件描述（ATDF），其取值已与数据手册逐项核对。",
    "full": "数据来源：厂商器件描述文件（ATDF），并与avr-libc头文件和avrdude配置核对。",
    "thin": "数据来源：该型号已停产，没有ATDF；位定义取自厂商旧版器件描述（AVR Studio 4"
            "的XML，经AVR Eclipse插件转换），默认值按数据手册和avr-libc校正。",
}

# What a technician should know about the data of a model, in our own words.
MODEL_NOTES = {
    "ATMEGA8535": ["低字节默认值取0xE1（器件描述文件的值；avr-libc头文件给出的0xC1有误）。"],
    "ATMEGA163": [
        "SPIEN出厂已编程，低字节默认值取0xD2（旧描述文件为0xF2）。",
        "高字节默认值取0xFF（BOOTSZ=11，依据avr-libc和同系列ATmega323的数据手册），"
        "未能用本型号的数据手册核实。",
        "锁定位默认值按全部未编程（0xFF）处理。",
    ],
    "ATMEGA323": [
        "高字节默认值取0x9F（数据手册：BOOTSZ默认为11）；低字节默认值取0xF2"
        "（avr-libc，与描述文件标明的默认时钟一致）。",
        "锁定位默认值按全部未编程（0xFF）处理。",
    ],
    "ATMEGA161": [
        "本型号只有一个熔丝字节，按低字节处理；高字节和扩展字节不存在，各位都标为“*”。",
        "位位置按数据手册的串行编程指令表：BOOTRST为位6，SPIEN为位5，SUT为位4，"
        "位7和位3未用（旧描述文件的位置错了一位）；默认值0xDA。",
        "锁定位默认值按全部未编程（0xFF）处理。",
    ],
    "ATMEGA162": [
        "本型号有扩展熔丝字节（M161C、BODLEVEL2~0，出厂值0xFF），但写熔丝和恢复熔丝命令"
        "只为型号表中标明发送扩展字节的型号发送它，本型号发送“..”，"
        "扩展字节写不进芯片；所以这里把扩展字节标为“*”，不提供它的选项。",
    ],
    "ATTINY2313": [
        "器件描述文件中晶振选项的启动时间只写了复位后的延时（14 CK + …），掉电唤醒的时钟数"
        "（258 CK、1K CK、16K CK）按晶振电路和复位延时都相同的ATmega88补上。",
    ],
    "ATTINY4313": [
        "晶振选项的启动时间同ATTINY2313：掉电唤醒的时钟数（258 CK、1K CK、16K CK）"
        "按晶振电路和复位延时都相同的ATmega88补上。",
    ],
}

# Where the later parts' facts were checked: the datasheet and its sections
# for the fuse and lock bit tables, their defaults, the boot sizes and the
# clock options (tests/data/avr-fuse-facts.json keeps the same under "sources").
DATASHEET = {
    "ATMEGA48PA": "Atmel-8271（ATmega48A/PA/88A/PA/168A/PA/328/P）28.2节熔丝位表28-4至28-9、"
                  "9.2节时钟源表9-1、28.1节锁定位",
    "ATMEGA88PA": "Atmel-8271（ATmega48A/PA/88A/PA/168A/PA/328/P）28.2节熔丝位表28-4至28-9、"
                  "27.8节引导区参数表27-7、9.2节时钟源表9-1、28.1节锁定位",
    "ATMEGA168PA": "Atmel-8271（ATmega48A/PA/88A/PA/168A/PA/328/P）28.2节熔丝位表28-4至28-9、"
                   "27.8节引导区参数表27-10、9.2节时钟源表9-1、28.1节锁定位",
    "ATMEGA328": "Atmel-8271（ATmega48A/PA/88A/PA/168A/PA/328/P）28.2节熔丝位表28-6、28-8、28-9、"
                 "27.8节引导区参数表27-13、9.2节时钟源表9-1、28.1节锁定位",
    "ATMEGA328P": "Atmel-8271（ATmega48A/PA/88A/PA/168A/PA/328/P）28.2节熔丝位表28-6、28-8、28-9、"
                  "27.8节引导区参数表27-13、9.2节时钟源表9-1、28.1节锁定位",
    "ATMEGA164A": "Atmel-8272（ATmega164A/PA/324A/PA/644A/PA/1284/P）26.2节熔丝位表26-3至26-5、"
                  "25.8节引导区参数（ATmega164A/164PA）、9.2节时钟源表9-1、26.1节锁定位",
    "ATMEGA164PA": "Atmel-8272（ATmega164A/PA/324A/PA/644A/PA/1284/P）26.2节熔丝位表26-3至26-5、"
                   "25.8节引导区参数（ATmega164A/164PA）、9.2节时钟源表9-1、26.1节锁定位",
    "ATMEGA324A": "Atmel-8272（ATmega164A/PA/324A/PA/644A/PA/1284/P）26.2节熔丝位表26-3至26-5、"
                  "25.8节引导区参数（ATmega324A/324PA）、9.2节时钟源表9-1、26.1节锁定位",
    "ATMEGA324PA": "Atmel-8272（ATmega164A/PA/324A/PA/644A/PA/1284/P）26.2节熔丝位表26-3至26-5、"
                   "25.8节引导区参数（ATmega324A/324PA）、9.2节时钟源表9-1、26.1节锁定位",
    "ATTINY4313": "Atmel-8246（ATtiny2313A/4313）20.2节熔丝位表20-3至20-5、6.2节时钟源表6-1、"
                  "20.1节锁定位",
}

# ATtiny2313's crystal captions give only the delay after reset; the start-up
# clock count after power-down comes from the model named here, whose crystal
# rows have the same field values and the same reset delays (checked).
STARTUP_DONOR = {"ATTINY2313": "ATmega88", "ATTINY4313": "ATmega88"}


def hex4(n):
    return "%04X" % n


def collapse(text):
    return re.sub(r"\s+", " ", text).strip()


def bit_code(bits, field_bits, mask):
    """'SUT=10 CKSEL=0001' from the bit names (MSB first) and the in-byte value."""
    positions = [b for b in range(7, -1, -1) if mask & (1 << b)]
    assert len(positions) == len(bits), (bits, mask)
    groups = []
    for name, pos in zip(bits, positions):
        stem = re.sub(r"\d$", "", name)
        digit = "1" if field_bits & (1 << pos) else "0"
        if groups and groups[-1][0] == stem:
            groups[-1][1] += digit
        else:
            groups.append([stem, digit])
    return " ".join("%s=%s" % (s, d) for s, d in groups)


def translate(table, text, en=False):
    for pattern, zh, english in table:
        m = re.fullmatch(pattern, text)
        if m:
            return m.expand(english if en else zh)
    raise SystemExit("no Chinese caption for %r" % text)


def clock_text(caption, en=False):
    caption = collapse(caption)
    parts = [collapse(p) for p in caption.split(";") if collapse(p)]
    source = parts[0]
    rest = parts[1:]
    m = re.match(POWER_SUFFIX, source)
    if m:
        source, rest = m.group(1), [m.group(2)] + rest
    out = [translate(CLOCK_SOURCES, source, en)]
    for part in rest:
        if part == "default value":
            continue
        part = re.sub(r"(\d) ?K CK ?/", r"\1K CK/", part)
        part = re.sub(r"(\d)\s+ms", r"\1 ms", part)
        out.append(translate(CLOCK_PARTS, part, en))
    return (", " if en else "，").join(out)


def donor_caption(value, donor):
    """The donor's caption for a crystal row whose reset delay it repeats, else None."""
    if donor is None or not (value["name"] or "").startswith("EXTXOSC"):
        return None
    theirs = {v["value"]: v for v in donor["values"]}[value["value"]]
    ours = collapse(value["caption"]).split(";")
    full = collapse(theirs["caption"]).split(";")
    assert ours[0] == full[0], (value, theirs)
    reset = re.sub(r"^Start-up time: ", "", collapse(ours[1]))
    assert collapse(full[1]).split("/")[-1] == reset, (value, theirs)
    return theirs["caption"]


def enum_text(option, value, donor=None, en=False):
    name = option["name"]
    caption = value["caption"]
    if name in ("SUT_CKSEL", "CKSEL", "PLLCK_SUT_CKSEL"):
        return clock_text(donor_caption(value, donor) or caption, en)
    if name == "BODLEVEL":
        if collapse(caption) == "Brown-out detection disabled":
            return "Brown-out detection off" if en else "关闭掉电检测"
        m = re.fullmatch(r"Brown-out detection (?:level )?at VCC=([\d.]+) V", collapse(caption))
        if not m:
            raise SystemExit("no Chinese caption for %r" % caption)
        return "VCC=%s V" % m.group(1)
    if name == "BOOTSZ":
        m = re.fullmatch(BOOTSZ_RE, collapse(caption))
        if not m:
            raise SystemExit("no Chinese caption for %r" % caption)
        words = int(m.group(1))
        if en:
            return "%d words (%d bytes), start word address $%s" % (words, 2 * words, m.group(2))
        return "%d字（%d字节），起始字地址$%s" % (words, 2 * words, m.group(2))
    lock_text = LOCK_TEXT_EN if en else LOCK_TEXT
    if name == "LB":
        symbol = value["name"] or LOCK_NAME_BY_CAPTION[collapse(caption)]
        return lock_text["LB"][symbol]
    if name in ("BLB0", "BLB1"):
        symbol = value["name"] or BLB_NAME_BY_VALUE[int(value["value"], 16)]
        if en:
            section = "application section" if name == "BLB0" else "boot section"
        else:
            section = "应用区" if name == "BLB0" else "引导区"
        return lock_text["BLB"][symbol].format(sec=section)
    raise SystemExit("no Chinese caption for field %s" % name)


def flag_text(option, en=False):
    pin = re.search(r"P(?:ORT)?([A-D][0-7])", option["caption"])
    if en:
        return FLAG_TEXT_EN[option["name"]].format(pin=" P" + pin.group(1) if pin else "")
    return FLAG_TEXT[option["name"]].format(pin="P" + pin.group(1) if pin else "")


def red(text):
    """Moves a trailing '*' behind any suffix added later."""
    return text.endswith("*"), text.rstrip("*")


def usable(model, byte, facts):
    b = facts["bytes"][byte]
    if not b["present"]:
        return False
    if byte == "extended" and model not in EXTENDED_FUSE_MODELS:
        return False
    return True


def default_line(model, facts):
    out = []
    for byte in BYTES:
        b = facts["bytes"][byte]
        value = int(b["default"], 16) if b["default"] else 0xFF
        for i, name in enumerate(b["bits_7_to_0"]):
            bit = 7 - i
            if not usable(model, byte, facts) or name == "-":
                out.append("*")
            else:
                out.append("1" if value & (1 << bit) else "0")
    return "".join(out)


def name_lines(model, facts):
    out = []
    for byte in BYTES:
        for name in facts["bytes"][byte]["bits_7_to_0"]:
            out.append("" if name == "-" or not usable(model, byte, facts) else name)
    return out


def donor_option(model, option, all_facts):
    donor = STARTUP_DONOR.get(model)
    if donor is None:
        return None
    for other in all_facts[donor]["options"]:
        if other["byte"] == option["byte"] and other["name"] == option["name"]:
            return other
    return None


def options_for(model, facts, all_facts):
    """([(text, key, English caption)] in list order: low, high, extended,
    then lock fields; notes on choices the vendor captions do not tell apart)."""
    order = {"low": 0, "high": 1, "extended": 2, "lock": 3}
    notes = []
    fields = sorted(facts["options"], key=lambda o: order[o["byte"]])
    result = []
    for option in fields:
        byte = option["byte"]
        if not usable(model, byte, facts):
            continue
        mask = int(option["mask"], 16)
        tag = TAGS[option["name"]]
        shift = 8 if byte == "high" else 0
        if option["kind"] == "flag":
            assert bin(mask).count("1") == 1
            if byte in ("low", "high"):
                key = "FSB" + tag + hex4(0xFFFF & ~(mask << shift)) + "/0000"
            elif byte == "extended":
                key = "FSE" + tag + hex4(0xFF & ~mask) + "/0000"
            else:
                raise SystemExit("single lock bit in %s" % model)
            result.append((flag_text(option), key, flag_text(option, en=True)))
            continue
        kind = {"low": "FDB", "high": "FDB", "extended": "FDE", "lock": "FDL"}[byte]
        group_mask = (0xFFFF & ~(mask << shift)) if kind == "FDB" else (0xFF & ~mask)
        default = int(option["default_field_value"], 16)
        donor = donor_option(model, option, all_facts)
        codes_by_text = {}
        for value in option["values"]:
            byte_bits = int(value["byte_bits"], 16)
            assert byte_bits & ~mask == 0
            is_red, text = red(enum_text(option, value, donor))
            code = bit_code(option["bits"], byte_bits, mask)
            codes_by_text.setdefault(text, []).append(code)
            text = "%s：%s（%s）" % (GROUP_LABEL[option["name"]], text, code)
            english = "%s: %s (%s)" % (GROUP_LABEL_EN[option["name"]],
                                       red(enum_text(option, value, donor, en=True))[1], code)
            if int(value["value"], 16) == default:
                text += "（出厂值）"
                english += " (factory default)"
            if is_red:
                text += "*"
            key = kind + tag + hex4(group_mask) + "/" + hex4(byte_bits << shift)
            result.append((text, key, english))
        for text, codes in codes_by_text.items():
            if len(codes) > 1:
                count = "两" if len(codes) == 2 else str(len(codes))
                notes.append("%s“%s”有%s%s项，器件描述中没有区分，请按括号内的位值选择。"
                             % (GROUP_LABEL[option["name"]], text.rstrip("*"), "、".join(codes),
                                count))
    return result, notes


def check_options(model, options):
    keys = [k for _, k, _ in options]
    assert len(keys) == len(set(keys)), "%s: duplicate keys" % model
    assert len(keys) <= 255
    for kind in ("FDB", "FDE", "FDL"):
        assert sum(1 for k in keys if k.startswith(kind)) <= 200
    for text, key, english in options:
        assert len(key) == 14 and key[9] == "/", key
        assert english and "\t" not in english and not english.endswith("*"), english
        assert "{" not in text and ">" not in text, text
        text.encode("gbk")
    # No key may contain another group's mask text, or mask + "/" + value.
    for _, key, _ in options:
        mask = key[5:9]
        for _, other, _ in options:
            same_group = other[:3] == key[:3] and other[5:9] == mask
            if not same_group:
                assert mask not in other, (model, key, other)


def comment_lines(model, facts, notes):
    quality = facts["data_quality"].split()[0]
    quality = quality if quality in ("thin", "datasheet") else "full"
    lines = [
        "本文件描述%s的熔丝位和锁定位，编程软件在选择该型号时读取它。" % model,
        "第1行是出厂默认值，共32位，依次为锁定位、扩展熔丝位、熔丝高字节、熔丝低字节，"
        "每个字节高位在前；“1”为未编程，“0”为已编程，“*”表示该位不可用。",
        "第2至33行是这32个位的名称，顺序与第1行相同。",
        "下面两个“##”行之间是选项，每行一个：文字{键>。键为种类(3位)+标记(2位)+掩码(4位)"
        "+“/”+取值(4位)。",
        "FSB、FSE：熔丝字（高字节在前）或扩展字节中的单个位，勾选表示该位为0（已编程）。",
        "FDB、FDE、FDL：熔丝字、扩展字节或锁定位中的一组位，掩码中为0的位属于该组，"
        "勾选其中一项即把这组位设为它的取值。",
        "以“*”结尾的选项显示为红色：选错可能使芯片不能再用低压（ISP）方式编程，或使数据无法读出。",
        SOURCE_TEXT[quality],
    ]
    if model in DATASHEET:
        lines.append("依据：" + DATASHEET[model] + "。")
    lines += MODEL_NOTES.get(model, [])
    lines += notes
    lines.append("本文件由tools/make_fuse_files.py生成，请修改生成脚本而不是本文件。")
    return lines


def build(model, facts, all_facts):
    """(the .FUS file's bytes, the model's lines of the English caption table)"""
    options, notes = options_for(model, facts, all_facts)
    check_options(model, options)
    lines = [default_line(model, facts)]
    lines += name_lines(model, facts)
    lines += comment_lines(model, facts, notes)
    lines.append("##")
    lines += ["%s{%s>" % (text, key) for text, key, _ in options]
    lines.append("##")
    captions = ["%s\t%s\t%s" % (model, key, english) for _, key, english in options]
    return "".join(line + "\r\n" for line in lines).encode("gbk"), captions


def main(argv):
    check = "--check" in argv[1:]
    facts = json.loads(FACTS.read_text(encoding="utf-8"))["models"]
    OUT_DIR.mkdir(parents=True, exist_ok=True)
    stale = []
    outputs = []
    captions = [
        "# English captions of the fuse and lock options: model, option key and caption,",
        "# separated by tabs. Generated by tools/make_fuse_files.py with the .FUS files;",
        "# the window shows them in English in place of the file's text.",
    ]
    for model, extended in read_model_table():
        if extended:
            EXTENDED_FUSE_MODELS.add(model)
    for model, _ in read_model_table():
        data, lines = build(model, facts[facts_key(model, facts)], facts)
        outputs.append((OUT_DIR / (model + ".FUS"), data))
        captions += lines
    outputs.append((CAPTIONS_EN, "".join(line + "\n" for line in captions).encode("utf-8")))
    for path, data in outputs:
        if check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(path.name)
        else:
            path.write_bytes(data)
    if stale:
        print("out of date: " + " ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
