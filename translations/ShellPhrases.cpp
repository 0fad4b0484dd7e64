// SPDX-License-Identifier: MIT
// Not compiled: the program keeps these texts scrambled (app/ShellTexts.cpp)
// and translates them once unscrambled. This list tells the translation tools
// their plain Chinese (line breaks as "\n"), so the .ts carries their English;
// the window test in English fails when this list and the scrambled forms
// drift apart.
QT_TRANSLATE_NOOP("ShellTexts", "KELVARO 高压编程器 ")
QT_TRANSLATE_NOOP("ShellTexts", "访问主页 kelvaro.example")
QT_TRANSLATE_NOOP("ShellTexts", "KELVARO 高压编程器\n请连接编程器并放入芯片。")
QT_TRANSLATE_NOOP("ShellTexts",
                  "KELVARO 高压编程器控制程序。\n"
                  "用于 ATmega 与 ATtiny 系列单片机的高压并行编程：读写 FLASH 和 EEPROM，"
                  "读写熔丝位与锁定位，读取并写入校准字节，升级编程器固件。\n"
                  "本程序及编程器固件的问题与建议请到主页反馈。")
