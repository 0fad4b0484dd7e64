<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Language</name>
    <message>
        <source>--lang 应为 en 或 zh，而不是“%1”</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ShellTexts</name>
    <message>
        <source>KELVARO 高压编程器 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>访问主页 kelvaro.example</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KELVARO 高压编程器<byte value="xd"/>
请连接编程器并放入芯片。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KELVARO 高压编程器控制程序。<byte value="xd"/>
用于 ATmega 与 ATtiny 系列单片机的高压并行编程：读写 FLASH 和 EEPROM，读写熔丝位与锁定位，读取并写入校准字节，升级编程器固件。<byte value="xd"/>
本程序及编程器固件的问题与建议请到主页反馈。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
