<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Language</name>
    <message>
        <source>--lang 应为 en 或 zh，而不是“%1”</source>
        <translation>--lang takes en or zh, not &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>ShellTexts</name>
    <message>
        <source>KELVARO 高压编程器 </source>
        <translation>KELVARO HV Programmer </translation>
    </message>
    <message>
        <source>访问主页 kelvaro.example</source>
        <translation>Visit kelvaro.example</translation>
    </message>
    <message>
        <source>KELVARO 高压编程器
请连接编程器并放入芯片。</source>
        <translation>KELVARO HV Programmer
Connect the programmer and put a chip into its socket.</translation>
    </message>
    <message>
        <source>KELVARO 高压编程器控制程序。
用于 ATmega 与 ATtiny 系列单片机的高压并行编程：读写 FLASH 和 EEPROM，读写熔丝位与锁定位，读取并写入校准字节，升级编程器固件。
本程序及编程器固件的问题与建议请到主页反馈。</source>
        <translation>KELVARO HV Programmer control program.
High-voltage parallel programming of ATmega and ATtiny microcontrollers: read and write FLASH and EEPROM, read and write fuse and lock bits, read and store calibration bytes, update the programmer&apos;s firmware.
Please report problems and suggestions about this program and the programmer&apos;s firmware on the home page.</translation>
    </message>
</context>
<context>
    <name>kv::PassRecorder</name>
    <message>
        <source>生产记录不可用，按设置在无记录的情况下编程：%1</source>
        <translation>Production record unavailable; programming without a record as the settings allow: %1</translation>
    </message>
</context>
<context>
    <name>kv::SerialFile</name>
    <message>
        <source>序列号设置文件 %1 有误：%2</source>
        <translation>Serial number file %1 is invalid: %2</translation>
    </message>
</context>
<context>
    <name>kv::Workbench</name>
    <message>
        <source>启动步骤“%1”未完成：%2</source>
        <translation>Start-up step &quot;%1&quot; not completed: %2</translation>
    </message>
    <message>
        <source>正在与编程器通讯，请等本次操作结束。</source>
        <translation>Talking to the programmer; wait until this operation ends.</translation>
    </message>
    <message>
        <source>端口设置</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>端口号</source>
        <translation>Port number</translation>
    </message>
    <message>
        <source>握手</source>
        <translation>Handshake</translation>
    </message>
    <message>
        <source>芯片型号</source>
        <translation>Chip model</translation>
    </message>
    <message>
        <source>端口状态</source>
        <translation>Port state</translation>
    </message>
    <message>
        <source>熔丝位</source>
        <translation>Fuse bits</translation>
    </message>
    <message>
        <source>编程选项</source>
        <translation>Programming options</translation>
    </message>
    <message>
        <source>文件重载</source>
        <translation>Reload files</translation>
    </message>
    <message>
        <source>清空接收</source>
        <translation>Clear input</translation>
    </message>
    <message>
        <source>校准设置</source>
        <translation>Calibration settings</translation>
    </message>
    <message>
        <source>校准地址</source>
        <translation>Calibration addresses</translation>
    </message>
    <message>
        <source>本次操作结束后关闭窗口。</source>
        <translation>The window closes when this operation ends.</translation>
    </message>
    <message>
        <source>无目标芯片或不支持!</source>
        <translation>No target chip, or not supported!</translation>
    </message>
    <message>
        <source>帮助文件打不开：%1</source>
        <translation>Cannot open the help file: %1</translation>
    </message>
    <message>
        <source>载入的文件没有熔丝位和锁定位（只有 ELF 文件带有），熔丝位未改变。</source>
        <translation>The loaded files carry no fuse or lock bits (only ELF files do); the fuse bits are unchanged.</translation>
    </message>
</context>
<context>
    <name>kv::ui::AboutBox</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>kv::ui::FirmwareDialog</name>
    <message>
        <source>升级固件</source>
        <translation>Update firmware</translation>
    </message>
    <message>
        <source>升级文件</source>
        <translation>Firmware file</translation>
    </message>
    <message>
        <source>FLASH页大小</source>
        <translation>FLASH page size</translation>
    </message>
    <message>
        <source>加密文件</source>
        <translation>Encrypted file</translation>
    </message>
    <message>
        <source>升  级</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>停  止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>退  出</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>kv::ui::ImageTab</name>
    <message>
        <source>读取%1</source>
        <translation>Read %1</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save as</translation>
    </message>
</context>
<context>
    <name>kv::ui::MainToolbar</name>
    <message>
        <source>自动选择</source>
        <translation>Detect</translation>
    </message>
    <message>
        <source>调入默认</source>
        <translation>Defaults</translation>
    </message>
    <message>
        <source>读熔丝位</source>
        <translation>Read fuses</translation>
    </message>
    <message>
        <source>写熔丝位</source>
        <translation>Write fuses</translation>
    </message>
    <message>
        <source>写锁定位</source>
        <translation>Write lock</translation>
    </message>
    <message>
        <source>恢复熔丝</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>擦除芯片</source>
        <translation>Erase</translation>
    </message>
    <message>
        <source>芯片编程</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>通讯检测</source>
        <translation>Check link</translation>
    </message>
    <message>
        <source>设置端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>存取方案</source>
        <translation>Schemes</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>打开端口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>关闭端口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>打开方案</source>
        <translation>Open scheme</translation>
    </message>
    <message>
        <source>保存方案</source>
        <translation>Save scheme</translation>
    </message>
    <message>
        <source>调入文件熔丝位</source>
        <translation>Fuses from file</translation>
    </message>
    <message>
        <source>固件版本</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>升级固件</source>
        <translation>Update firmware</translation>
    </message>
    <message>
        <source>帮助(F1)</source>
        <translation>Help (F1)</translation>
    </message>
    <message>
        <source>--以下需适配器--</source>
        <translation>--adapter needed below--</translation>
    </message>
</context>
<context>
    <name>kv::ui::MainWindow</name>
    <message>
        <source>熔丝选项</source>
        <translation>Fuses</translation>
    </message>
    <message>
        <source>其它</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>打开%1</source>
        <translation>%1…</translation>
    </message>
    <message>
        <source>。
右边的熔丝位和名称不是%1的定义，不能写入芯片。</source>
        <translation>.
The fuse bits and names on the right are not those of %1 and cannot be written to the chip.</translation>
    </message>
    <message>
        <source>暂不可用</source>
        <translation>Not available yet</translation>
    </message>
</context>
<context>
    <name>kv::ui::OtherTab</name>
    <message>
        <source>读标识字</source>
        <translation>Read ID</translation>
    </message>
    <message>
        <source>当前MCU 型号：</source>
        <translation>Chip in socket:</translation>
    </message>
    <message>
        <source>您选择的型号：</source>
        <translation>Model selected:</translation>
    </message>
    <message>
        <source>校准选项</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>读校准字节</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>写 入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>暂不可用</source>
        <translation>Not available yet</translation>
    </message>
    <message>
        <source>写入地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>读写数据</source>
        <translation>Read and write data</translation>
    </message>
    <message>
        <source>地址DEC</source>
        <translation>Addr DEC</translation>
    </message>
    <message>
        <source>数据HEX</source>
        <translation>Data HEX</translation>
    </message>
    <message>
        <source>FLASH(字)</source>
        <translation>FLASH (word)</translation>
    </message>
    <message>
        <source>EEPROM(字节)</source>
        <translation>EEPROM (byte)</translation>
    </message>
    <message>
        <source>读</source>
        <translation>R</translation>
    </message>
    <message>
        <source>写</source>
        <translation>W</translation>
    </message>
    <message>
        <source>注:只有原地址数据为FF时,才能正确写入数据。</source>
        <translation>Note: data is written correctly only where the address holds FF.</translation>
    </message>
</context>
<context>
    <name>kv::ui::PortSettingsDialog</name>
    <message>
        <source>（无设备）</source>
        <translation>(no device)</translation>
    </message>
    <message>
        <source>%1（未找到）</source>
        <translation>%1 (not found)</translation>
    </message>
    <message>
        <source>通信端口设置</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>COM16  /dev/ttyUSB10（未找到）</source>
        <translation>COM16  /dev/ttyUSB10 (not found)</translation>
    </message>
    <message>
        <source>此端口号对应的串口设备，清空则恢复系统默认</source>
        <translation>The serial device behind this port number; clear it to use the system&apos;s default</translation>
    </message>
    <message>
        <source>设备:</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>最大速度</source>
        <translation>Maximum speed</translation>
    </message>
    <message>
        <source>优化连接</source>
        <translation>Line settings</translation>
    </message>
    <message>
        <source>数据位:</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>奇偶位:</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>停止位:</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>流控制(&amp;F)</source>
        <translation>&amp;Flow control</translation>
    </message>
    <message>
        <source>响应(&amp;E)</source>
        <translation>&amp;Echo</translation>
    </message>
    <message>
        <source>端口:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>自动检测</source>
        <translation>Find programmer</translation>
    </message>
    <message>
        <source>未找到</source>
        <translation>not found</translation>
    </message>
</context>
<context>
    <name>kv::ui::ProgramOptionsBox</name>
    <message>
        <source>擦除芯片</source>
        <translation>Erase chip</translation>
    </message>
    <message>
        <source>编程FLASH</source>
        <translation>Write FLASH</translation>
    </message>
    <message>
        <source>编程EEPROM</source>
        <translation>Write EEPROM</translation>
    </message>
    <message>
        <source>编程熔丝位</source>
        <translation>Write fuses</translation>
    </message>
    <message>
        <source>编程锁定位</source>
        <translation>Write lock</translation>
    </message>
    <message>
        <source>文件重载</source>
        <translation>Reload files</translation>
    </message>
    <message>
        <source>校验标识字</source>
        <translation>Signature</translation>
    </message>
    <message>
        <source>写校准字节</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>校验FLASH</source>
        <translation>Verify FLASH</translation>
    </message>
    <message>
        <source>校验EEPROM</source>
        <translation>Verify EEPROM</translation>
    </message>
    <message>
        <source>编程选项</source>
        <translation>Programming options</translation>
    </message>
    <message>
        <source>编 程</source>
        <translation>Program</translation>
    </message>
</context>
<context>
    <name>kv::ui::StatusPanels</name>
    <message>
        <source>打开或关闭端口</source>
        <translation>Open or close the port</translation>
    </message>
</context>
</TS>
