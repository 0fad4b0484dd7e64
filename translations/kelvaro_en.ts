<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AddressText</name>
    <message>
        <source>地址框数据格式错误!</source>
        <translation>Invalid address in the address box!</translation>
    </message>
</context>
<context>
    <name>CalibrationBytes</name>
    <message>
        <source>校准字节:%1</source>
        <translation>Calibration bytes: %1</translation>
    </message>
    <message>
        <source>写校准字节结束!</source>
        <translation>Calibration byte written!</translation>
    </message>
    <message>
        <source>请先读出校准字节并选中要写入的一项!</source>
        <translation>Read the calibration bytes first and select the one to write!</translation>
    </message>
</context>
<context>
    <name>ChipModelTable</name>
    <message>
        <source>--以下需适配器--</source>
        <translation>--adapter needed below--</translation>
    </message>
    <message>
        <source>型号表%1读不出：%2</source>
        <translation>Model table %1 cannot be read: %2</translation>
    </message>
    <message>
        <source>型号表%1第%2行：%3，此行不用。</source>
        <translation>Model table %1, line %2: %3; the line is not used.</translation>
    </message>
    <message>
        <source>格式不对，应为七栏：型号 标识字 FLASH字节数 EEPROM字节数 页字数 需适配器(yes/no) 扩展熔丝(yes/no)</source>
        <translation>malformed, seven fields expected: name signature FLASH-bytes EEPROM-bytes page-words adapter(yes/no) extended-fuse(yes/no)</translation>
    </message>
    <message>
        <source>容量不可能（FLASH为整页且至多32768字节，页为16、32或64字，EEPROM为1至32768字节）</source>
        <translation>impossible sizes (FLASH in whole pages, at most 32768 bytes; pages of 16, 32 or 64 words; EEPROM 1 to 32768 bytes)</translation>
    </message>
    <message>
        <source>型号%1在本文件中已有</source>
        <translation>model %1 is already in this file</translation>
    </message>
    <message>
        <source>内置型号%1不能改动</source>
        <translation>the built-in model %1 cannot be changed</translation>
    </message>
    <message>
        <source>标识字%1已属于%2</source>
        <translation>signature %1 already belongs to %2</translation>
    </message>
    <message>
        <source>--以下为新增型号--</source>
        <translation>--added models below--</translation>
    </message>
    <message>
        <source>%1（需适配器）</source>
        <translation>%1 (adapter needed)</translation>
    </message>
</context>
<context>
    <name>CliChipCommands</name>
    <message>
        <source>%1没有可写入的数据（“%2”为空），未做任何操作。</source>
        <translation>%1: nothing to write (“%2” is empty); nothing was done.</translation>
    </message>
    <message>
        <source>方案的熔丝位不完整（第%1位），未做任何操作。</source>
        <translation>The scheme's fuse bits are incomplete (bit %1); nothing was done.</translation>
    </message>
    <message>
        <source>序列号没有写入：%1</source>
        <translation>Serial number not written: %1</translation>
    </message>
    <message>
        <source>找不到文件 %1</source>
        <translation>File not found: %1</translation>
    </message>
    <message>
        <source>FLASH文件应为 .hex、.bin 或 .elf：%1</source>
        <translation>A FLASH file must be .hex, .bin or .elf: %1</translation>
    </message>
    <message>
        <source>EEPROM文件应为 .eep、.hex、.bin 或 .elf：%1</source>
        <translation>An EEPROM file must be .eep, .hex, .bin or .elf: %1</translation>
    </message>
    <message>
        <source>文件 %1 中没有数据</source>
        <translation>No data in file %1</translation>
    </message>
    <message>
        <source>%1映像有%2字节，超出%3的容量（%4字节），未写入。</source>
        <translation>The %1 image has %2 bytes, more than the %3 holds (%4 bytes); nothing written.</translation>
    </message>
    <message>
        <source>%1地址 %2 数据校验失败。</source>
        <translation>%1 address %2: verify failed.</translation>
    </message>
    <message>
        <source>标识字与所选型号%1不符，编程未进行。</source>
        <translation>The signature does not match the selected model %1; nothing programmed.</translation>
    </message>
    <message>
        <source>编程器无反应：读不到标识字。</source>
        <translation>No reply from the programmer: cannot read the signature.</translation>
    </message>
    <message>
        <source>插座中的芯片（标识字%1）不在型号表中。</source>
        <translation>The chip in the socket (signature %1) is not in the model table.</translation>
    </message>
    <message>
        <source>插座中的芯片是%1（标识字%2），与 --model %3 不符，未做任何操作。</source>
        <translation>The chip in the socket is %1 (signature %2), not --model %3; nothing done.</translation>
    </message>
    <message>
        <source>文件夹不存在：%1</source>
        <translation>Folder does not exist: %1</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>方案的型号是%1，与 --model %2 不符。</source>
        <translation>The scheme's model is %1, not --model %2.</translation>
    </message>
    <message>
        <source>方案选中了%1的编程或校验，但%1文件“%2”没有载入。</source>
        <translation>The scheme chooses writing or verifying %1, but the %1 file "%2" is not loaded.</translation>
    </message>
    <message>
        <source>%1读回在地址 %2 处停止（收到%3字节，应为%4字节），未能校验。</source>
        <translation>%1 read-back stopped at address %2 (%3 of %4 bytes received); nothing was verified.</translation>
    </message>
    <message>
        <source>%1读取应答无效：地址%2处不是十六进制数字。</source>
        <translation>%1 read reply is invalid: not a hex digit at address %2.</translation>
    </message>
    <message>
        <source>%1读取在地址 %2 处停止（收到%3字节，应为%4字节）。</source>
        <translation>%1 read stopped at address %2 (%3 of %4 bytes received).</translation>
    </message>
    <message>
        <source>编程器的应答不是标识字（收到“%1”）：请等几秒再试，或拔下编程器再插上。</source>
        <translation>The programmer's reply is not a signature (received "%1"): wait a few seconds and try again, or unplug the programmer and plug it in again.</translation>
    </message>
    <message>
        <source>%1 看起来是文本，不是EEPROM数据；确要按原始字节写入请加 --raw</source>
        <translation>%1 looks like text, not EEPROM data; give --raw to write its bytes as they are</translation>
    </message>
</context>
<context>
    <name>CliFuseCommands</name>
    <message>
        <source>熔丝低字节</source>
        <translation>fuse low byte</translation>
    </message>
    <message>
        <source>熔丝高字节</source>
        <translation>fuse high byte</translation>
    </message>
    <message>
        <source>扩展熔丝位</source>
        <translation>extended fuse byte</translation>
    </message>
    <message>
        <source>锁定位</source>
        <translation>lock byte</translation>
    </message>
    <message>
        <source>熔丝定义不完整，未写入。</source>
        <translation>Fuse definition incomplete; nothing written.</translation>
    </message>
    <message>
        <source>%1没有%2的第%3位，它只能为1，未写入。</source>
        <translation>%1 has no bit %3 in its %2; it can only be 1; nothing written.</translation>
    </message>
    <message>
        <source>读熔丝位失败：编程器的应答无效。</source>
        <translation>Fuse read failed: invalid reply from the programmer.</translation>
    </message>
    <message>
        <source>%1没有扩展熔丝字节，未写入。</source>
        <translation>%1 has no extended fuse byte; nothing written.</translation>
    </message>
    <message>
        <source>熔丝位未得到确认：写入%1，读回%2。</source>
        <translation>Fuse bits not confirmed: wrote %1, read back %2.</translation>
    </message>
    <message>
        <source>恢复失败：读回的熔丝位不是出厂值。</source>
        <translation>Restore failed: the fuse bits read back are not the factory values.</translation>
    </message>
    <message>
        <source>锁定位未得到确认：写入%1，读回%2。</source>
        <translation>Lock bits not confirmed: wrote %1, read back %2.</translation>
    </message>
    <message>
        <source>%1没有校准字节。</source>
        <translation>%1 has no calibration bytes.</translation>
    </message>
    <message>
        <source>校准字节的应答无效。</source>
        <translation>Invalid reply for the calibration bytes.</translation>
    </message>
    <message>
        <source>%1没有%2MHz的校准字节。</source>
        <translation>%1 has no calibration byte for %2 MHz.</translation>
    </message>
    <message>
        <source>地址%1超出%2的%3（0 到 %4）。</source>
        <translation>Address %1 is outside the %3 of %2 (0 to %4).</translation>
    </message>
    <message>
        <source>熔丝位未设定好，未写入。</source>
        <translation>The fuse bits are not set up; nothing was written.</translation>
    </message>
    <message>
        <source>校准字节未得到确认：写入%1，地址%2读回%3。</source>
        <translation>The calibration byte was not confirmed: wrote %1, read back %3 at address %2.</translation>
    </message>
</context>
<context>
    <name>CliGang</name>
    <message>
        <source>没有插座：用 --ports 列出端口，或在量产窗口的插座设置中保存。</source>
        <translation>No sockets: list the ports with --ports, or store them in the gang window's socket settings.</translation>
    </message>
    <message>
        <source>量产：%1 个插座通过，%2 个失败。</source>
        <translation>Gang: %1 sockets passed, %2 failed.</translation>
    </message>
    <message>
        <source>--ports 需要端口列表，如 COM1,COM2</source>
        <translation>--ports needs a list of ports, such as COM1,COM2</translation>
    </message>
    <message>
        <source>gang 需要每个插座执行的命令，如 run SCHEME.SET</source>
        <translation>gang needs the command for every socket, such as run SCHEME.SET</translation>
    </message>
    <message>
        <source>gang 的端口由 --ports 或保存的插座给出，不接受 --port</source>
        <translation>gang takes its ports from --ports or the stored sockets, not from --port</translation>
    </message>
    <message>
        <source>gang 不能执行命令 %1</source>
        <translation>gang cannot run the command %1</translation>
    </message>
    <message>
        <source>--ports 列出 %1 个端口，量产最多 %2 个插座</source>
        <translation>--ports lists %1 ports; a gang has at most %2 sockets</translation>
    </message>
    <message>
        <source>--ports 中端口%1出现了两次</source>
        <translation>--ports names port %1 twice</translation>
    </message>
</context>
<context>
    <name>CliMain</name>
    <message>
        <source>%1（kelvaro-cli --help）</source>
        <translation>%1 (kelvaro-cli --help)</translation>
    </message>
</context>
<context>
    <name>CliPlatform</name>
    <message>
        <source>已按 Ctrl-C 停止。</source>
        <translation>Stopped by Ctrl-C.</translation>
    </message>
    <message>
        <source>收到信号 %1，已停止。</source>
        <translation>Stopped by signal %1.</translation>
    </message>
</context>
<context>
    <name>CliProgramCommand</name>
    <message>
        <source>program 需要 avr-gcc 的 ELF 文件（.elf）：%1</source>
        <translation>program needs an avr-gcc ELF file (.elf): %1</translation>
    </message>
    <message>
        <source>%1 没有熔丝位（.fuse 段），--fuses 无从写入，未做任何操作。</source>
        <translation>%1 has no fuse bits (.fuse section); nothing for --fuses to write; nothing done.</translation>
    </message>
    <message>
        <source>%1 没有锁定位（.lock 段），--lock 无从写入，未做任何操作。</source>
        <translation>%1 has no lock bits (.lock section); nothing for --lock to write; nothing done.</translation>
    </message>
    <message>
        <source>文件 %1 中没有FLASH和EEPROM数据</source>
        <translation>No FLASH or EEPROM data in file %1</translation>
    </message>
    <message>
        <source>已写入 %1</source>
        <translation>Written: %1</translation>
    </message>
</context>
<context>
    <name>CliRecordCommands</name>
    <message>
        <source>--no-record 需要窗口设置中允许无记录编程（[%1] %2=1）。</source>
        <translation>--no-record needs unrecorded programming allowed in the window's settings ([%1] %2=1).</translation>
    </message>
    <message>
        <source>按 --no-record，本次编程不作记录。</source>
        <translation>--no-record: this programming is not recorded.</translation>
    </message>
    <message>
        <source>已上传%1条暂存的记录。</source>
        <translation>Uploaded %1 spooled records.</translation>
    </message>
    <message>
        <source>另有%1行无法读取，已移到 %2。</source>
        <translation>%1 more lines could not be read and were moved to %2.</translation>
    </message>
</context>
<context>
    <name>CliReport</name>
    <message>
        <source>警告：%1</source>
        <translation>Warning: %1</translation>
    </message>
    <message>
        <source>错误：%1</source>
        <translation>Error: %1</translation>
    </message>
    <message>
        <source> …（共 %1 字节）</source>
        <translation> … (%1 bytes)</translation>
    </message>
    <message>
        <source>用时 %1 秒</source>
        <translation>Took %1 s</translation>
    </message>
</context>
<context>
    <name>CliRequest</name>
    <message>
        <source>编程器类型“%1”未知（可用：%2）</source>
        <translation>Unknown programmer kind “%1” (known: %2)</translation>
    </message>
    <message>
        <source>波特率“%1”无效</source>
        <translation>Invalid baud rate "%1"</translation>
    </message>
    <message>
        <source>型号“%1”不在型号表中</source>
        <translation>Model "%1" is not in the model table</translation>
    </message>
    <message>
        <source>%1 需要一个十六进制字节（如 E1），而不是“%2”</source>
        <translation>%1 needs a hex byte (such as E1), not "%2"</translation>
    </message>
    <message>
        <source>--slot 应为 1、2、4 或 8（MHz），而不是“%1”</source>
        <translation>--slot must be 1, 2, 4 or 8 (MHz), not "%1"</translation>
    </message>
    <message>
        <source>--to 应为 flash 或 eeprom，而不是“%1”</source>
        <translation>--to must be flash or eeprom, not "%1"</translation>
    </message>
    <message>
        <source>地址“%1”无效</source>
        <translation>Invalid address "%1"</translation>
    </message>
    <message>
        <source>--page-size 应为 32、64 或 128，而不是“%1”</source>
        <translation>--page-size must be 32, 64 or 128, not "%1"</translation>
    </message>
    <message>
        <source>--lang 应为 en 或 zh，而不是“%1”</source>
        <translation>--lang must be en or zh, not "%1"</translation>
    </message>
    <message>
        <source>--since 应为日期（如 2026-03-02 或 2026-03-02T08:00），而不是“%1”</source>
        <translation>--since must be a date (such as 2026-03-02 or 2026-03-02T08:00), not "%1"</translation>
    </message>
    <message>
        <source>未知选项 %1</source>
        <translation>Unknown option %1</translation>
    </message>
    <message>
        <source>选项 %1 缺少值</source>
        <translation>Option %1 needs a value</translation>
    </message>
    <message>
        <source>ports 列出全部端口，不接受 --port 或 --baud</source>
        <translation>ports lists every port; it takes no --port or --baud</translation>
    </message>
    <message>
        <source>命令 %1 不涉及芯片，不接受 --model</source>
        <translation>Command %1 does not involve a chip; it takes no --model</translation>
    </message>
    <message>
        <source>--record 与 --no-record 不能同时使用</source>
        <translation>--record and --no-record cannot be used together</translation>
    </message>
    <message>
        <source>序列号取自生产记录，--serial 与 --no-record 不能同时使用</source>
        <translation>Serial numbers come from the production record; --serial and --no-record cannot be used together</translation>
    </message>
    <message>
        <source>--csv 与 --json 不能同时使用</source>
        <translation>--csv and --json cannot be used together</translation>
    </message>
    <message>
        <source>fuses write 至少需要 --low、--high 或 --ext 之一</source>
        <translation>fuses write needs at least one of --low, --high or --ext</translation>
    </message>
    <message>
        <source>calibration write 需要 --slot 和 --to</source>
        <translation>calibration write needs --slot and --to</translation>
    </message>
    <message>
        <source>命令 %1 不接受选项 %2</source>
        <translation>Command %1 does not take option %2</translation>
    </message>
    <message>
        <source>未知命令“%1”</source>
        <translation>Unknown command "%1"</translation>
    </message>
    <message>
        <source>用法：kelvaro-cli %1</source>
        <translation>Usage: kelvaro-cli %1</translation>
    </message>
    <message>
        <source>锁定位应为一个十六进制字节（如 FC），而不是“%1”</source>
        <translation>The lock byte must be a hex byte (such as FC), not "%1"</translation>
    </message>
    <message>
        <source>端口%1无效：应为 COM1 到 COM16 或设备路径</source>
        <translation>Port %1 is invalid: use COM1 to COM16 or a device path</translation>
    </message>
    <message>
        <source>--quiet 与 --verbose 不能同时使用</source>
        <translation>--quiet and --verbose cannot be used together</translation>
    </message>
    <message>
        <source>缺少命令</source>
        <translation>Missing command</translation>
    </message>
</context>
<context>
    <name>CliRunner</name>
    <message>
        <source>（%1进度%2%）</source>
        <translation> (%1 %2%)</translation>
    </message>
    <message>
        <source>已向编程器发送%1字节</source>
        <translation>%1 bytes sent to the programmer</translation>
    </message>
    <message>
        <source>（FLASH进度%1%，EEPROM进度%2%）</source>
        <translation> (FLASH %1%, EEPROM %2%)</translation>
    </message>
    <message>
        <source>端口未能打开。</source>
        <translation>The port could not be opened.</translation>
    </message>
    <message>
        <source>端口已关闭。</source>
        <translation>The port is closed.</translation>
    </message>
    <message>
        <source>编程器无反应!</source>
        <translation>No reply from the programmer!</translation>
    </message>
    <message>
        <source>  (已保存)</source>
        <translation>  (stored)</translation>
    </message>
    <message>
        <source>  编程器应答</source>
        <translation>  programmer answers</translation>
    </message>
    <message>
        <source>  无应答</source>
        <translation>  no answer</translation>
    </message>
    <message>
        <source>没有找到应答的编程器。</source>
        <translation>No programmer answered.</translation>
    </message>
    <message>
        <source>已按 Ctrl-C 停止</source>
        <translation>Stopped by Ctrl-C</translation>
    </message>
    <message>
        <source>收到信号 %1 后停止</source>
        <translation>Stopped by signal %1</translation>
    </message>
    <message>
        <source>%3：%1 没有做完。%2，停在两次交换之间，FLASH只含整页；未做的步骤没有执行。端口已关闭。</source>
        <translation>%3: %1 did not finish. %2, stopped between two exchanges, FLASH holds whole pages only; the steps not done were not run. The port is closed.</translation>
    </message>
    <message>
        <source>编程器仍在发送上一条命令的数据：请等几秒再试，或拔下编程器再插上。</source>
        <translation>The programmer is still sending data of an earlier command: wait a few seconds and try again, or unplug the programmer and plug it in again.</translation>
    </message>
</context>
<context>
    <name>ElfReader</name>
    <message>
        <source>低字节</source>
        <translation>low byte</translation>
    </message>
    <message>
        <source>高字节</source>
        <translation>high byte</translation>
    </message>
    <message>
        <source>扩展字节</source>
        <translation>extended byte</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>锁定位 %1</source>
        <translation>lock bits %1</translation>
    </message>
    <message>
        <source>读取失败：%1</source>
        <translation>read failed: %1</translation>
    </message>
    <message>
        <source>文件太大，不是芯片映像（超过 %1 字节）</source>
        <translation>file too large for a chip image (over %1 bytes)</translation>
    </message>
    <message>
        <source>不是 ELF 文件</source>
        <translation>is not an ELF file</translation>
    </message>
    <message>
        <source>ELF 文件不完整（文件被截断）</source>
        <translation>ELF file incomplete (file truncated)</translation>
    </message>
    <message>
        <source>是 64 位 ELF 文件，不是 AVR 程序（AVR 程序是 32 位 ELF）</source>
        <translation>is a 64-bit ELF file, not an AVR program (AVR programs are 32-bit ELF)</translation>
    </message>
    <message>
        <source>是其它处理器的程序（机器号 %1），不是 AVR 程序</source>
        <translation>is a program for another processor (machine %1), not an AVR program</translation>
    </message>
    <message>
        <source>不是链接好的程序（目标文件或库），不能编程</source>
        <translation>is not a linked program (object file or library); cannot be programmed</translation>
    </message>
    <message>
        <source>ELF 文件结构错误：%1</source>
        <translation>ELF file structure error: %1</translation>
    </message>
    <message>
        <source>段 %1 超出芯片 FLASH：到 %2 字节，芯片只有 %3 字节</source>
        <translation>section %1 exceeds the chip's FLASH: up to %2 bytes, the chip has only %3</translation>
    </message>
    <message>
        <source>段 %1 超出芯片 EEPROM：到 %2 字节，芯片只有 %3 字节</source>
        <translation>section %1 exceeds the chip's EEPROM: up to %2 bytes, the chip has only %3</translation>
    </message>
    <message>
        <source>段 %1 有 %2 个熔丝字节，所选型号只有 %3 个</source>
        <translation>section %1 has %2 fuse bytes, the selected model has only %3</translation>
    </message>
    <message>
        <source>段 %1 有 %2 个字节，锁定位只有 1 个字节</source>
        <translation>section %1 has %2 bytes, the lock bits are only 1 byte</translation>
    </message>
    <message>
        <source>段 %1 的地址 0x%2 不属于芯片的任何存储器</source>
        <translation>address 0x%2 of section %1 is in none of the chip's memories</translation>
    </message>
</context>
<context>
    <name>FileFuseBits</name>
    <message>
        <source>没有调入文件熔丝位。</source>
        <translation>File fuse bits not loaded.</translation>
    </message>
    <message>
        <source>%1 有 %2 个熔丝字节，%3 只有 %4 个，没有调入文件熔丝位。</source>
        <translation>%1 has %2 fuse bytes, %3 has only %4; file fuse bits not loaded.</translation>
    </message>
    <message>
        <source>调入文件 %1 的熔丝位:%2 锁定位:%3</source>
        <translation>Loaded fuse bits of %1: %2 lock bits: %3</translation>
    </message>
</context>
<context>
    <name>FirmwareFile</name>
    <message>
        <source>FLASH页大小无效。</source>
        <translation>Invalid FLASH page size.</translation>
    </message>
    <message>
        <source>升级文件太大：%1 个整页（每页 %2 字节），最多 %3 页。</source>
        <translation>Firmware file too large: %1 whole pages (%2 bytes each), at most %3 pages.</translation>
    </message>
    <message>
        <source>升级文件是空的！</source>
        <translation>The firmware file is empty!</translation>
    </message>
</context>
<context>
    <name>FirmwareUpdate</name>
    <message>
        <source>没选择升级文件！</source>
        <translation>No firmware file chosen!</translation>
    </message>
    <message>
        <source>请重启编程器！</source>
        <translation>Restart the programmer!</translation>
    </message>
    <message>
        <source>超时，连接不成功！</source>
        <translation>Timed out; no connection!</translation>
    </message>
    <message>
        <source>启动升级......</source>
        <translation>Starting update......</translation>
    </message>
    <message>
        <source>升级完毕。</source>
        <translation>Update complete.</translation>
    </message>
    <message>
        <source>编程器的引导程序没有请求数据（未收到“?”），升级失败！编程器中现在可能只有引导程序：请重启编程器，再按“升  级”重试。</source>
        <translation>The programmer's loader did not ask for data (no "?" received); update failed! The programmer may now hold only its loader: restart it, then press "Update" to try again.</translation>
    </message>
    <message>
        <source>升级结束，但有%1页（共%2页）没有得到编程器确认，固件可能不完整：请重启编程器后重新升级。</source>
        <translation>Update finished, but %1 of %2 pages were not acknowledged by the programmer; the firmware may be incomplete: restart the programmer and update again.</translation>
    </message>
    <message>
        <source>二进制文件 (*.BIN)|*.BIN</source>
        <translation>Binary files (*.BIN)|*.BIN</translation>
    </message>
</context>
<context>
    <name>FuseCommands</name>
    <message>
        <source>%1，所示熔丝位不是本型号的定义，%2</source>
        <translation>%1; the fuse bits shown are not this model's definition. %2</translation>
    </message>
    <message>
        <source>读熔丝位应答无效，熔丝位未改变：%1</source>
        <translation>Invalid reply to the fuse read; fuse bits unchanged: %1</translation>
    </message>
    <message>
        <source>读熔丝位:%1 锁定位:%2</source>
        <translation>Fuse bits read: %1 lock bits: %2</translation>
    </message>
    <message>
        <source>读熔丝位应答无效：%1</source>
        <translation>Invalid reply to the fuse read: %1</translation>
    </message>
    <message>
        <source>没有写熔丝位。</source>
        <translation>Fuse bits not written.</translation>
    </message>
    <message>
        <source>熔丝位未设定好（有空位或非法字符），没有写熔丝位。</source>
        <translation>Fuse bits not set up (blank or invalid cells); fuse bits not written.</translation>
    </message>
    <message>
        <source>没有恢复熔丝。</source>
        <translation>Fuses not restored.</translation>
    </message>
    <message>
        <source>默认熔丝位无效（缺少该型号的熔丝定义文件？），没有恢复熔丝。</source>
        <translation>Default fuse bits invalid (fuse definition file of this model missing?); fuses not restored.</translation>
    </message>
    <message>
        <source>恢复失败！</source>
        <translation>Restore failed!</translation>
    </message>
    <message>
        <source>恢复成功！</source>
        <translation>Restore succeeded!</translation>
    </message>
    <message>
        <source>没有写锁定位。</source>
        <translation>Lock bits not written.</translation>
    </message>
    <message>
        <source>锁定位未设定好（有空位或非法字符），没有写锁定位。</source>
        <translation>Lock bits not set up (blank or invalid cells); lock bits not written.</translation>
    </message>
    <message>
        <source>没有调入默认值。</source>
        <translation>Defaults not loaded.</translation>
    </message>
</context>
<context>
    <name>FuseDefinitionReader</name>
    <message>
        <source>熔丝定义文件%1第%2行：%3，已跳过。</source>
        <translation>Fuse definition file %1, line %2: %3; skipped.</translation>
    </message>
    <message>
        <source>熔丝定义文件%1无法打开：%2。</source>
        <translation>Cannot open fuse definition file %1: %2.</translation>
    </message>
    <message>
        <source>熔丝定义文件%1含有不是GBK编码的字符，显示可能有误。</source>
        <translation>Fuse definition file %1 contains characters that are not GBK; captions may show wrongly.</translation>
    </message>
    <message>
        <source>熔丝定义文件%1无法使用：%2，未载入。</source>
        <translation>Fuse definition file %1 unusable: %2; not loaded.</translation>
    </message>
    <message>
        <source>只有%1行，少于33行</source>
        <translation>only %1 lines, fewer than 33</translation>
    </message>
    <message>
        <source>第1行不是32个“1”、“0”或“*”</source>
        <translation>line 1 is not 32 of "1", "0" or "*"</translation>
    </message>
    <message>
        <source>熔丝定义文件%1没有“##”行，没有可用的熔丝选项。</source>
        <translation>Fuse definition file %1 has no "##" line; no fuse options available.</translation>
    </message>
    <message>
        <source>熔丝定义文件%1第%2行起的选项已跳过：选项最多%3个。</source>
        <translation>Fuse definition file %1: options from line %2 on skipped; at most %3 options.</translation>
    </message>
    <message>
        <source>空的选项行</source>
        <translation>empty option line</translation>
    </message>
    <message>
        <source>选项行缺少“{”或“&gt;”</source>
        <translation>option line lacks "{" or "&gt;"</translation>
    </message>
    <message>
        <source>选项行的“&gt;”在“{”之前</source>
        <translation>option line has "&gt;" before "{"</translation>
    </message>
    <message>
        <source>键“%1”与前面的选项重复</source>
        <translation>key "%1" repeats an earlier option</translation>
    </message>
    <message>
        <source>%1选项超过%2个</source>
        <translation>more than %2 %1 options</translation>
    </message>
</context>
<context>
    <name>FuseEditor</name>
    <message>
        <source>熔丝低字节</source>
        <translation>Fuse low byte</translation>
    </message>
    <message>
        <source>熔丝高字节</source>
        <translation>Fuse high byte</translation>
    </message>
    <message>
        <source>扩展熔丝位</source>
        <translation>Fuse ext. byte</translation>
    </message>
    <message>
        <source>锁定位</source>
        <translation>Lock bits</translation>
    </message>
    <message>
        <source>找不到熔丝定义文件%1。</source>
        <translation>Fuse definition file %1 not found.</translation>
    </message>
    <message>
        <source>找不到熔丝定义文件%1</source>
        <translation>Fuse definition file %1 not found</translation>
    </message>
    <message>
        <source>熔丝定义文件%1无法使用</source>
        <translation>Fuse definition file %1 unusable</translation>
    </message>
    <message>
        <source>尚未载入熔丝定义文件</source>
        <translation>No fuse definition file loaded yet</translation>
    </message>
</context>
<context>
    <name>ImageFiles</name>
    <message>
        <source>FLASH文件没找到!</source>
        <translation>FLASH file not found!</translation>
    </message>
    <message>
        <source>EEPROM文件没找到!</source>
        <translation>EEPROM file not found!</translation>
    </message>
    <message>
        <source>%1 文件太大，不是芯片映像（超过 %2 字节）</source>
        <translation>%1: file too large for a chip image (over %2 bytes)</translation>
    </message>
    <message>
        <source>%1 带有熔丝/锁定位：%2（不会自动写入，要用时选“存取方案”菜单的“调入文件熔丝位”）</source>
        <translation>%1 carries fuse/lock bits: %2 (not written automatically; to use them choose "Fuses from file" in the "Schemes" menu)</translation>
    </message>
    <message>
        <source>%1字节</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>FLASH文件读取错误！</source>
        <translation>Error reading the FLASH file!</translation>
    </message>
    <message>
        <source>EEPROM文件读取错误！</source>
        <translation>Error reading the EEPROM file!</translation>
    </message>
    <message>
        <source>Intel HEX 文件 (*.HEX)|*.HEX|二进制文件(*.BIN)|*.BIN</source>
        <translation>Intel HEX files (*.HEX)|*.HEX|Binary files (*.BIN)|*.BIN</translation>
    </message>
    <message>
        <source>EEPROM文件(*.EEP)|*.EEP|二进制文件(*.BIN)|*.BIN|Intel Hex文件(*.HEX)|*.HEX</source>
        <translation>EEPROM files (*.EEP)|*.EEP|Binary files (*.BIN)|*.BIN|Intel HEX files (*.HEX)|*.HEX</translation>
    </message>
    <message>
        <source>|ELF 文件(*.ELF)|*.ELF</source>
        <translation>|ELF files (*.ELF)|*.ELF</translation>
    </message>
    <message>
        <source>二进制文件(*.BIN)|*.BIN</source>
        <translation>Binary files (*.BIN)|*.BIN</translation>
    </message>
    <message>
        <source>FLASH文件保存失败！</source>
        <translation>Saving the FLASH file failed!</translation>
    </message>
    <message>
        <source>EEPROM文件保存失败！</source>
        <translation>Saving the EEPROM file failed!</translation>
    </message>
    <message>
        <source>所有支持的文件</source>
        <translation>All supported files</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>%1 不是 Intel HEX 文件，按原始二进制读入，%2 字节</source>
        <translation>%1 read as raw binary, %2 bytes</translation>
    </message>
</context>
<context>
    <name>ImageReader</name>
    <message>
        <source>编程器无反应!</source>
        <translation>No reply from the programmer!</translation>
    </message>
    <message>
        <source>编程器发送%1数据过慢：%2毫秒内收到%3字节，应为%4字节，已停止读取!</source>
        <translation>The programmer sends %1 data too slowly: %3 bytes in %2 ms, expected %4; read stopped!</translation>
    </message>
    <message>
        <source>编程器停止发送%1数据：收到%2字节，应为%3字节!</source>
        <translation>The programmer stopped sending %1 data: received %2 bytes, expected %3!</translation>
    </message>
    <message>
        <source>读取芯片FLASH!</source>
        <translation>Reading chip FLASH!</translation>
    </message>
    <message>
        <source>读取芯片EEPROM!</source>
        <translation>Reading chip EEPROM!</translation>
    </message>
    <message>
        <source>读取应答无效：地址%1处不是十六进制数字，未读入数据!</source>
        <translation>Invalid read reply: not hex digits at address %1; no data read!</translation>
    </message>
    <message>
        <source>FLASH缓冲区无数据！</source>
        <translation>The FLASH buffer is empty!</translation>
    </message>
    <message>
        <source>EEPROM缓冲区无数据！</source>
        <translation>The EEPROM buffer is empty!</translation>
    </message>
    <message>
        <source>缓冲区数据(%1字节)超出芯片容量(%2字节)，无法校验！</source>
        <translation>The buffer (%1 bytes) exceeds the chip's capacity (%2 bytes); cannot verify!</translation>
    </message>
    <message>
        <source>校验FLASH......</source>
        <translation>Verifying FLASH......</translation>
    </message>
    <message>
        <source>校验EEPROM......</source>
        <translation>Verifying EEPROM......</translation>
    </message>
    <message>
        <source>FLASH地址 %1 数据校验失败！</source>
        <translation>FLASH address %1: verify failed!</translation>
    </message>
    <message>
        <source>EEPROM地址 %1 数据校验失败！</source>
        <translation>EEPROM address %1: verify failed!</translation>
    </message>
    <message>
        <source>校验FLASH通过。</source>
        <translation>FLASH verified.</translation>
    </message>
    <message>
        <source>校验EEPROM通过。</source>
        <translation>EEPROM verified.</translation>
    </message>
</context>
<context>
    <name>ImageWriter</name>
    <message>
        <source>%1缓冲区含有非十六进制数据，未写入！</source>
        <translation>The %1 buffer holds non-hex data; nothing written!</translation>
    </message>
    <message>
        <source>%1缓冲区数据(%2字节)超出芯片容量(%3字节)，未写入！</source>
        <translation>The %1 buffer (%2 bytes) exceeds the chip's capacity (%3 bytes); nothing written!</translation>
    </message>
    <message>
        <source>FLASH页大小未知，未写入！</source>
        <translation>FLASH page size unknown; nothing written!</translation>
    </message>
    <message>
        <source>写FLASH......</source>
        <translation>Writing FLASH......</translation>
    </message>
    <message>
        <source>写FLASH中断，已发送%1字节。</source>
        <translation>FLASH write interrupted after %1 bytes sent.</translation>
    </message>
    <message>
        <source>写EEPROM结束!</source>
        <translation>EEPROM write done!</translation>
    </message>
</context>
<context>
    <name>IntelHexReader</name>
    <message>
        <source>文件为空</source>
        <translation>file is empty</translation>
    </message>
    <message>
        <source>校验和错误</source>
        <translation>checksum error</translation>
    </message>
    <message>
        <source>地址顺序错误</source>
        <translation>addresses out of order</translation>
    </message>
    <message>
        <source>地址超出范围</source>
        <translation>address out of range</translation>
    </message>
    <message>
        <source>读取失败</source>
        <translation>read failed</translation>
    </message>
    <message>
        <source>第 %1 行：%2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>不以“:”开头，不是 Intel HEX 记录</source>
        <translation>does not start with ":", not an Intel HEX record</translation>
    </message>
    <message>
        <source>含有非十六进制字符</source>
        <translation>contains a character that is not a hex digit</translation>
    </message>
    <message>
        <source>记录长度与行长不符</source>
        <translation>the record's length does not match its line</translation>
    </message>
    <message>
        <source>行尾只有 CR，没有 LF</source>
        <translation>lines end in CR without LF</translation>
    </message>
    <message>
        <source>类型 %1 的记录长度错误</source>
        <translation>record of type %1 has the wrong length</translation>
    </message>
    <message>
        <source>未知的记录类型 %1</source>
        <translation>unknown record type %1</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>--lang 应为 en 或 zh，而不是“%1”</source>
        <translation>--lang takes en or zh, not "%1"</translation>
    </message>
</context>
<context>
    <name>LineSettings</name>
    <message>
        <source>串口参数“%1”无效：%2</source>
        <translation>Invalid line settings "%1": %2</translation>
    </message>
    <message>
        <source>应为“波特率,校验位,数据位,停止位”四项，例如“115200,n,8,1”。</source>
        <translation>Expected four fields "baud,parity,data bits,stop bits", e.g. "115200,n,8,1".</translation>
    </message>
    <message>
        <source>波特率“%1”应为正整数。</source>
        <translation>Baud rate "%1" must be a positive integer.</translation>
    </message>
    <message>
        <source>校验位“%1”应为 e、o、n、m 或 s。</source>
        <translation>Parity "%1" must be e, o, n, m or s.</translation>
    </message>
    <message>
        <source>数据位“%1”应为 4 到 8。</source>
        <translation>Data bits "%1" must be 4 to 8.</translation>
    </message>
    <message>
        <source>停止位“%1”应为 1、1.5 或 2。</source>
        <translation>Stop bits "%1" must be 1, 1.5 or 2.</translation>
    </message>
</context>
<context>
    <name>OptionKey</name>
    <message>
        <source>键“%1”不是14个字符</source>
        <translation>key "%1" is not 14 characters</translation>
    </message>
    <message>
        <source>键“%1”的种类不是FSB、FSE、FDB、FDE或FDL</source>
        <translation>kind of key "%1" is not FSB, FSE, FDB, FDE or FDL</translation>
    </message>
    <message>
        <source>键“%1”的第10个字符不是“/”</source>
        <translation>10th character of key "%1" is not "/"</translation>
    </message>
    <message>
        <source>键“%1”的掩码或取值不是4位大写十六进制数</source>
        <translation>mask or value of key "%1" is not 4 upper-case hex digits</translation>
    </message>
    <message>
        <source>键“%1”的掩码应以00开头</source>
        <translation>mask of key "%1" must start with 00</translation>
    </message>
    <message>
        <source>键“%1”的掩码不含任何位</source>
        <translation>mask of key "%1" has no bits</translation>
    </message>
    <message>
        <source>键“%1”的取值超出该组的位</source>
        <translation>value of key "%1" has bits outside its group</translation>
    </message>
    <message>
        <source>键“%1”的掩码不是恰好一个位</source>
        <translation>mask of key "%1" is not exactly one bit</translation>
    </message>
</context>
<context>
    <name>OutcomeBoxes</name>
    <message>
        <source>%1读回在地址 %2 处中断，未能校验！</source>
        <translation>%1 read-back stopped at address %2; it could not be verified!</translation>
    </message>
</context>
<context>
    <name>PortSettingsForm</name>
    <message>
        <source>没有</source>
        <translation>None</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>警告提示</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>没有找到连接编程器的端口!    </source>
        <translation>No port with a programmer found!</translation>
    </message>
</context>
<context>
    <name>ProgramOptions</name>
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
</context>
<context>
    <name>ProgramPass</name>
    <message>
        <source>编程熔丝位、锁定位无法进行，本次编程未开始。</source>
        <translation>Fuse and lock bits cannot be written; the pass did not start.</translation>
    </message>
    <message>
        <source>读标识字:</source>
        <translation>Signature: </translation>
    </message>
    <message>
        <source>标识字与所选芯片不符!</source>
        <translation>The signature does not match the selected chip!</translation>
    </message>
</context>
<context>
    <name>ProgrammerLink</name>
    <message>
        <source>编程器无反应!</source>
        <translation>No reply from the programmer!</translation>
    </message>
    <message>
        <source>串口在%1秒内未能发出数据，FLASH写入已中止!</source>
        <translation>The serial port sent nothing within %1 s; FLASH write aborted!</translation>
    </message>
    <message>
        <source>编程器在%1秒内没有确认FLASH页，写入已中止!</source>
        <translation>The programmer did not acknowledge the FLASH page within %1 s; write aborted!</translation>
    </message>
</context>
<context>
    <name>ProgrammerReply</name>
    <message>
        <source>连接成功!</source>
        <translation>Connected!</translation>
    </message>
    <message>
        <source>熔丝位写入成功!</source>
        <translation>Fuse bits written!</translation>
    </message>
    <message>
        <source>熔丝位写入失败!</source>
        <translation>Fuse bits not written!</translation>
    </message>
    <message>
        <source>熔丝位恢复完成!</source>
        <translation>Fuse bits restored!</translation>
    </message>
    <message>
        <source>锁定位写入成功!</source>
        <translation>Lock bits written!</translation>
    </message>
    <message>
        <source>芯片擦除完成!</source>
        <translation>Chip erased!</translation>
    </message>
    <message>
        <source>FLASH写入完成!</source>
        <translation>FLASH written!</translation>
    </message>
    <message>
        <source>未知命令!</source>
        <translation>Unknown command!</translation>
    </message>
    <message>
        <source>命令参数错误!</source>
        <translation>Bad command arguments!</translation>
    </message>
</context>
<context>
    <name>QtSerialControl</name>
    <message>
        <source>端口号%1无效：应为 1 到 16。</source>
        <translation>Invalid port number %1: must be 1 to 16.</translation>
    </message>
    <message>
        <source>端口COM%1已打开：请先关闭端口再更换。</source>
        <translation>Port COM%1 is open: close it before changing ports.</translation>
    </message>
    <message>
        <source>串口参数“%1”无效：本机串口不支持 %2 位数据位。</source>
        <translation>Invalid line settings "%1": this serial port does not support %2 data bits.</translation>
    </message>
    <message>
        <source>串口参数“%1”无效：本机串口不支持 1.5 位停止位。</source>
        <translation>Invalid line settings "%1": this serial port does not support 1.5 stop bits.</translation>
    </message>
    <message>
        <source>端口COM%1不接受串口参数“%2”：%3</source>
        <translation>Port COM%1 does not accept line settings "%2": %3</translation>
    </message>
    <message>
        <source>握手方式%1无效：应为 0 到 3。</source>
        <translation>Invalid handshake mode %1: must be 0 to 3.</translation>
    </message>
    <message>
        <source>端口COM%1不接受握手方式%2：%3</source>
        <translation>Port COM%1 does not accept handshake mode %2: %3</translation>
    </message>
    <message>
        <source>无法打开端口COM%1：没有与它对应的串口设备。</source>
        <translation>Cannot open port COM%1: no serial device behind it.</translation>
    </message>
    <message>
        <source>无法打开端口COM%1（%2）：%3</source>
        <translation>Cannot open port COM%1 (%2): %3</translation>
    </message>
    <message>
        <source>
该端口正被其他程序使用。</source>
        <translation>
The port is in use by another program.</translation>
    </message>
    <message>
        <source>
当前用户没有使用串口的权限：请把用户加入 dialout 组（sudo usermod -aG dialout 用户名），然后注销并重新登录。</source>
        <translation>
This user may not use serial ports: add the user to the dialout group (sudo usermod -aG dialout USERNAME), then log out and in again.</translation>
    </message>
    <message>
        <source>端口COM%1未打开，无法收发数据。</source>
        <translation>Port COM%1 is not open; cannot send or receive.</translation>
    </message>
    <message>
        <source>向端口COM%1写入失败：连接已断开。</source>
        <translation>Write to port COM%1 failed: the connection is lost.</translation>
    </message>
    <message>
        <source>向端口COM%1写入失败：%2</source>
        <translation>Write to port COM%1 failed: %2</translation>
    </message>
</context>
<context>
    <name>RecordBrowser</name>
    <message>
        <source>结束日期早于开始日期。</source>
        <translation>The end date is before the start date.</translation>
    </message>
    <message>
        <source>序列号只能由数字组成：%1</source>
        <translation>A serial number has digits only: %1</translation>
    </message>
    <message>
        <source>第 %1/%2 页，共 %3 条记录</source>
        <translation>Page %1/%2, %3 records</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>工位</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>特征字</source>
        <translation>Signature</translation>
    </message>
    <message>
        <source>序列号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>FLASH SHA-256</source>
        <translation>FLASH SHA-256</translation>
    </message>
    <message>
        <source>EEPROM SHA-256</source>
        <translation>EEPROM SHA-256</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>跳过</source>
        <translation>Skipped</translation>
    </message>
    <message>
        <source>%1，%2 字节，SHA-256 %3</source>
        <translation>%1, %2 bytes, SHA-256 %3</translation>
    </message>
    <message>
        <source>低位</source>
        <translation>low</translation>
    </message>
    <message>
        <source>高位</source>
        <translation>high</translation>
    </message>
    <message>
        <source>扩展位</source>
        <translation>extended</translation>
    </message>
    <message>
        <source>记录编号</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>结束时间</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>写入熔丝位</source>
        <translation>Fuses written</translation>
    </message>
    <message>
        <source>读回熔丝位</source>
        <translation>Fuses read back</translation>
    </message>
    <message>
        <source>写入锁定位</source>
        <translation>Lock written</translation>
    </message>
    <message>
        <source>读回锁定位</source>
        <translation>Lock read back</translation>
    </message>
    <message>
        <source>校准字节</source>
        <translation>Calibration byte</translation>
    </message>
    <message>
        <source>步骤：</source>
        <translation>Steps:</translation>
    </message>
    <message>
        <source>日志：</source>
        <translation>Log:</translation>
    </message>
    <message>
        <source>CSV 文件</source>
        <translation>CSV files</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>无法写入文件 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>已将筛选出的记录导出到 %1</source>
        <translation>Filtered records exported to %1</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>进行中</source>
        <translation>Running</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Interrupted</translation>
    </message>
    <message>
        <source>作废序列号</source>
        <translation>Spoiled serial number</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>工单/批号</source>
        <translation>Work order / lot</translation>
    </message>
    <message>
        <source>方案</source>
        <translation>Scheme</translation>
    </message>
    <message>
        <source>量产</source>
        <translation>Gang programming</translation>
    </message>
    <message>
        <source>插座 %1，批次 %2</source>
        <translation>socket %1, run %2</translation>
    </message>
    <message>
        <source>程序版本</source>
        <translation>Program version</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <comment>record detail: label, value</comment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>，</source>
        <comment>between the fuse bytes of a record detail</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <comment>port and its device</comment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>编程</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>擦除芯片</source>
        <translation>Erase chip</translation>
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
        <translation>Restore fuses</translation>
    </message>
    <message>
        <source>写校准字节</source>
        <translation>Write calibration byte</translation>
    </message>
    <message>
        <source>写FLASH字</source>
        <translation>Write FLASH word</translation>
    </message>
    <message>
        <source>写EEPROM字节</source>
        <translation>Write EEPROM byte</translation>
    </message>
    <message>
        <source>%1（SHA-256 %2）</source>
        <comment>scheme and its hash</comment>
        <translation>%1 (SHA-256 %2)</translation>
    </message>
</context>
<context>
    <name>RecordConnection</name>
    <message>
        <source>连接成功：%1，共 %2 条记录。</source>
        <translation>Connected: %1, %2 records.</translation>
    </message>
    <message>
        <source>密码不会保存在设置中。请把它写入 ~/.pgpass（或 PGPASSFILE 指定的文件），或在环境变量 PGPASSWORD 中给出。</source>
        <translation>The password is not stored in the settings. Put it in ~/.pgpass (or the file PGPASSFILE names), or give it in the environment variable PGPASSWORD.</translation>
    </message>
</context>
<context>
    <name>RecordSpool</name>
    <message>
        <source>记录暂存文件 %1 被另一个进程锁定。</source>
        <translation>The record spool %1 is locked by another process.</translation>
    </message>
    <message>
        <source>无法读取记录暂存文件 %1：%2</source>
        <translation>Cannot read the record spool %1: %2</translation>
    </message>
    <message>
        <source>无法写入记录暂存文件 %1：%2</source>
        <translation>Cannot write the record spool %1: %2</translation>
    </message>
    <message>
        <source>无法建立锁文件（磁盘已满或没有写权限）</source>
        <translation>cannot create the lock file (disk full or no write permission)</translation>
    </message>
    <message>
        <source>记录暂存文件 %1 中有 %2 行无法读取（写入中断或内容无效），已移到 %3，未上传。</source>
        <translation>%2 lines of the record spool %1 could not be read (a write cut short, or values the record does not know) and were moved to %3, not uploaded.</translation>
    </message>
</context>
<context>
    <name>RecordTexts</name>
    <message>
        <source>生产记录数据库地址无效：%1</source>
        <translation>Invalid production record database address: %1</translation>
    </message>
    <message>
        <source>缺少数据库驱动 %1，无法使用生产记录。</source>
        <translation>Database driver %1 is missing; the production record cannot be used.</translation>
    </message>
    <message>
        <source>无法连接生产记录数据库 %1，不能在无记录的情况下编程。
%2</source>
        <translation>Cannot connect to the production record database %1; programming without a record is not allowed.
%2</translation>
    </message>
    <message>
        <source>生产记录数据库 %1 是只读的，记录无法写入。</source>
        <translation>The production record database %1 is read-only; records cannot be written.</translation>
    </message>
    <message>
        <source>生产记录数据库的版本（%1）比本程序所支持的（%2）新，请使用新版程序。数据库未作改动。</source>
        <translation>The production record database's version (%1) is newer than this program supports (%2); use a newer program. The database was not changed.</translation>
    </message>
    <message>
        <source>磁盘已满，生产记录无法写入 %1。</source>
        <translation>Disk full; the production record cannot be written to %1.</translation>
    </message>
    <message>
        <source>生产记录写入失败，本次记录未保存。
%1</source>
        <translation>Writing the production record failed; this record was not saved.
%1</translation>
    </message>
    <message>
        <source>未定义的序列号：%1</source>
        <translation>Undefined serial number sequence: %1</translation>
    </message>
    <message>
        <source>序列号 %1 已用尽：%2 超出设定的宽度。</source>
        <translation>Serial numbers %1 used up: %2 exceeds the set width.</translation>
    </message>
    <message>
        <source>生产记录中没有编号为 %1 的记录。</source>
        <translation>The production record has no record number %1.</translation>
    </message>
    <message>
        <source>连接等待上限为 %1 秒。</source>
        <translation>The connection waits at most %1 s.</translation>
    </message>
    <message>
        <source>生产记录数据库 %1 被其他连接锁定，等待 %2 秒后仍未释放，本次未作改动。</source>
        <translation>The production record %1 is locked by another connection and was not released within %2 s; nothing was changed.</translation>
    </message>
    <message>
        <source>等待生产记录数据库 %1 的锁时已停止，本次未作改动。</source>
        <translation>Stopped while waiting for the lock on the production record %1; nothing was changed.</translation>
    </message>
    <message>
        <source>生产记录数据库 %1 在 %2 秒内未完成操作，本次未作改动。</source>
        <translation>The production record %1 did not finish within %2 s; nothing was changed.</translation>
    </message>
    <message>
        <source>生产记录数据库 %1 已损坏，不能使用。请从备份恢复。
%2</source>
        <translation>The production record %1 is damaged and cannot be used. Restore it from a backup.
%2</translation>
    </message>
    <message>
        <source>%1 不是本程序的生产记录数据库（其中已有别的表），数据库未作改动。</source>
        <translation>%1 is not a production record of this program (it holds other tables); the database was not changed.</translation>
    </message>
    <message>
        <source>生产记录数据库地址 %1 不会保存任何记录，请给出文件路径。</source>
        <translation>The production record address %1 keeps nothing; give a file path.</translation>
    </message>
    <message>
        <source>生产记录 %1 不是普通文件（设备、管道或指向它们的链接），不能使用，未作任何改动。</source>
        <translation>The production record %1 is not a regular file (a device, a pipe or a link to one) and cannot be used; nothing was changed.</translation>
    </message>
    <message>
        <source>生产记录数据库 %1 拒绝了本用户的操作（没有权限）。
%2</source>
        <translation>The production record database %1 refused this user (permission denied).
%2</translation>
    </message>
    <message>
        <source>生产记录数据库 %1 拒绝了这条记录（违反表的约束）。
%2</source>
        <translation>The production record database %1 refused this record (a table constraint).
%2</translation>
    </message>
    <message>
        <source>与生产记录数据库 %1 的连接已断开。
%2</source>
        <translation>The connection to the production record database %1 was lost.
%2</translation>
    </message>
    <message>
        <source>生产记录数据库 %1 在 %2 秒内没有完成，已放弃等待。</source>
        <translation>The production record database %1 did not finish within %2 s; the wait was given up.</translation>
    </message>
    <message>
        <source>等待生产记录数据库 %1 时已停止。</source>
        <translation>Stopped while waiting for the production record database %1.</translation>
    </message>
    <message>
        <source>序列号冲突：芯片中的序列号 %2（序列 %1）在记录 %4 上传之前已被标为作废（%3）。该号码仍为作废，不会再发出；记录按芯片中的号码保存。</source>
        <translation>Serial number conflict: the number %2 in the chip (sequence %1) had been marked spoiled (%3) before record %4 was uploaded. It stays spoiled and is never issued again; the record keeps the number the chip holds.</translation>
    </message>
    <message>
        <source>芯片已编程，但本次的生产记录已丢失：数据库和记录暂存文件都无法写入。序列号：%1；记录标识（pass id）：%2。请把这颗芯片放在一边并登记。
数据库：%3
暂存文件：%4</source>
        <translation>The chip is programmed, but its production record is lost: neither the database nor the record spool could be written. Serial number: %1; pass id: %2. Set this chip aside and log it.
Database: %3
Spool: %4</translation>
    </message>
</context>
<context>
    <name>SchemeCommands</name>
    <message>
        <source>方案没有勾选“文件重载”，所以不会载入它的%1文件。请在主窗口载入这个方案，勾选“文件重载”后再保存方案。</source>
        <translation>The scheme does not have "Reload files" ticked, so its %1 file is never loaded. Load the scheme in the main window, tick "Reload files" and save the scheme again.</translation>
    </message>
</context>
<context>
    <name>SchemeFile</name>
    <message>
        <source>文件编码无法识别。</source>
        <translation>The file's encoding is not recognised.</translation>
    </message>
    <message>
        <source>方案文件保存失败!
</source>
        <translation>Saving the scheme file failed!
</translation>
    </message>
    <message>
        <source>方案文件无法打开!
</source>
        <translation>Cannot open the scheme file!
</translation>
    </message>
    <message>
        <source>文件过大,不是方案文件。</source>
        <translation>The file is too large for a scheme file.</translation>
    </message>
    <message>
        <source>方案文件(*.SET)|*.set</source>
        <translation>Scheme files (*.SET)|*.set</translation>
    </message>
</context>
<context>
    <name>SchemeText</name>
    <message>
        <source>第%1行:</source>
        <translation>Line %1: </translation>
    </message>
    <message>
        <source>校准字节序号应为0至3。</source>
        <translation>The calibration byte index must be 0 to 3.</translation>
    </message>
    <message>
        <source>校准写入位置序号应为0或1。</source>
        <translation>The calibration target index must be 0 or 1.</translation>
    </message>
    <message>
        <source>方案文件格式错误,未载入任何设置!
</source>
        <translation>Malformed scheme file; no settings loaded!
</translation>
    </message>
    <message>
        <source>地址框数据格式错误!</source>
        <translation>Invalid address in the address box!</translation>
    </message>
    <message>
        <source>当前设置无法存为方案!</source>
        <translation>The current settings cannot be saved as a scheme!</translation>
    </message>
    <message>
        <source>文件共%1行,方案文件应为7至9行。</source>
        <translation>The file has %1 lines; a scheme file has 7 to 9.</translation>
    </message>
    <message>
        <source>芯片型号为空。</source>
        <translation>The chip model is empty.</translation>
    </message>
    <message>
        <source>芯片型号“%1”不是支持的型号。</source>
        <translation>Chip model "%1" is not supported.</translation>
    </message>
    <message>
        <source>熔丝位应为32个0、1或*。</source>
        <translation>Fuse bits must be 32 of 0, 1 or *.</translation>
    </message>
    <message>
        <source>编程选项应为至多10个0、1或2。</source>
        <translation>Programming options must be at most 10 of 0, 1 or 2.</translation>
    </message>
    <message>
        <source>路径中有回车符（行尾只有 CR）。</source>
        <translation>The path holds a carriage return (lines ended by CR alone).</translation>
    </message>
</context>
<context>
    <name>SerialControl</name>
    <message>
        <source>端口COM%1的连接已断开（设备被拔出或已关闭）。</source>
        <translation>The connection on port COM%1 is lost (device unplugged or closed).</translation>
    </message>
</context>
<context>
    <name>SerialFile</name>
    <message>
        <source>序列号文件 %1：%2字节的序列号在地址 %3 处超出%4（%5字节），未编程。</source>
        <translation>Serial number file %1: a serial number of %2 bytes at address %3 does not fit the %4 (%5 bytes); nothing was programmed.</translation>
    </message>
</context>
<context>
    <name>SerialProgrammer</name>
    <message>
        <source>编程器仍在发送上一条命令的数据：请等几秒再试，或拔下编程器再插上。</source>
        <translation>The programmer is still sending data of an earlier command: wait a few seconds and try again, or unplug the programmer and plug it in again.</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>未知原因</source>
        <translation>unknown reason</translation>
    </message>
    <message>
        <source>设置未能保存到 %1：%2</source>
        <translation>Settings could not be saved to %1: %2</translation>
    </message>
    <message>
        <source>无法建立文件夹 %1</source>
        <translation>Cannot create folder %1</translation>
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
High-voltage parallel programming of ATmega and ATtiny microcontrollers: read and write FLASH and EEPROM, read and write fuse and lock bits, read and store calibration bytes, update the programmer's firmware.
Please report problems and suggestions about this program and the programmer's firmware on the home page.</translation>
    </message>
</context>
<context>
    <name>SignatureReader</name>
    <message>
        <source>无目标芯片或无连接!</source>
        <translation>No target chip or no connection!</translation>
    </message>
    <message>
        <source>读标识字:%1</source>
        <translation>Signature: %1</translation>
    </message>
</context>
<context>
    <name>SingleAccess</name>
    <message>
        <source>数据框数据格式错误!</source>
        <translation>Invalid data in the data box!</translation>
    </message>
    <message>
        <source>编程器无反应!</source>
        <translation>No reply from the programmer!</translation>
    </message>
</context>
<context>
    <name>SocketState</name>
    <message>
        <source>等待</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>识别芯片</source>
        <translation>Identifying chip</translation>
    </message>
    <message>
        <source>编程中</source>
        <translation>Programming</translation>
    </message>
    <message>
        <source>通过</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>端口丢失</source>
        <translation>Port lost</translation>
    </message>
    <message>
        <source>已停止。</source>
        <translation>Stopped.</translation>
    </message>
    <message>
        <source>编程进程意外终止。</source>
        <translation>The programming process terminated unexpectedly.</translation>
    </message>
    <message>
        <source>编程进程未报告结果就退出了（退出码%1）。</source>
        <translation>The programming process exited without a result (exit code %1).</translation>
    </message>
    <message>
        <source>端口被占用</source>
        <translation>Port busy</translation>
    </message>
</context>
<context>
    <name>StoppableSerialControl</name>
    <message>
        <source>已停止。</source>
        <translation>Stopped.</translation>
    </message>
</context>
<context>
    <name>WriteAcks</name>
    <message>
        <source>%1个字节没有得到编程器确认（"!"），可能未写入!</source>
        <translation>%1 bytes were not acknowledged by the programmer ("!"); they may not be written!</translation>
    </message>
</context>
<context>
    <name>kv::CommandRunner</name>
    <message>
        <source>正在与编程器通讯，请等本次操作结束。</source>
        <translation>Talking to the programmer; wait until this operation ends.</translation>
    </message>
    <message>
        <source>本次操作结束后关闭窗口。</source>
        <translation>The window closes when this operation ends.</translation>
    </message>
    <message>
        <source>正在停止：本次操作在下一条命令或下一整页之前停止。</source>
        <translation>Stopping: the command stops before its next command or whole page.</translation>
    </message>
    <message>
        <source>已停止：停在两次交换之间，FLASH只含整页；未做的步骤没有执行。</source>
        <translation>Stopped between two exchanges: FLASH holds whole pages only; the steps not yet done did not run.</translation>
    </message>
</context>
<context>
    <name>kv::CommandTable</name>
    <message>
        <source>读出插座中芯片的标识字并选择其型号；箭头菜单用于手动选择型号</source>
        <translation>Reads the signature of the chip in the socket and selects its model; the arrow's menu chooses a model by hand</translation>
    </message>
    <message>
        <source>把所选型号的出厂熔丝位调入右边的熔丝位</source>
        <translation>Puts the selected model's factory fuse bits into the cells on the right</translation>
    </message>
    <message>
        <source>从芯片读出熔丝位和锁定位</source>
        <translation>Reads the fuse and lock bits from the chip</translation>
    </message>
    <message>
        <source>把右边的熔丝位写入芯片</source>
        <translation>Writes the fuse bits on the right into the chip</translation>
    </message>
    <message>
        <source>把右边的锁定位写入芯片</source>
        <translation>Writes the lock bits on the right into the chip</translation>
    </message>
    <message>
        <source>把所选型号的出厂熔丝位写入芯片</source>
        <translation>Writes the selected model's factory fuse bits into the chip</translation>
    </message>
    <message>
        <source>擦除整个芯片</source>
        <translation>Erases the whole chip</translation>
    </message>
    <message>
        <source>芯片编程菜单</source>
        <translation>Program menu</translation>
    </message>
    <message>
        <source>此菜单的项目不起作用；编程请用编程选项下的“编 程”按钮（F5）</source>
        <translation>This menu's entries do nothing; programming runs from the Program button under the programming options (F5)</translation>
    </message>
    <message>
        <source>检查与编程器的通讯</source>
        <translation>Checks the link to the programmer</translation>
    </message>
    <message>
        <source>设置通信端口；箭头菜单用于打开或关闭端口</source>
        <translation>Sets up the serial port; the arrow's menu opens or closes it</translation>
    </message>
    <message>
        <source>打开菜单：打开或保存方案，调入文件熔丝位</source>
        <translation>Opens the menu: open or save a scheme, take the fuse bits from the file</translation>
    </message>
    <message>
        <source>查看生产记录；箭头菜单有记录设置和量产</source>
        <translation>Shows the production record; the arrow's menu holds the record settings and gang programming</translation>
    </message>
    <message>
        <source>关于本程序；箭头菜单有固件版本、升级固件和帮助</source>
        <translation>About this program; the arrow's menu holds the firmware version, the firmware update and help</translation>
    </message>
    <message>
        <source>不起作用；编程请用“编 程”按钮</source>
        <translation>Does nothing; program with the Program button</translation>
    </message>
    <message>
        <source>打开设置的通信端口</source>
        <translation>Opens the serial port set up</translation>
    </message>
    <message>
        <source>关闭通信端口</source>
        <translation>Closes the serial port</translation>
    </message>
    <message>
        <source>从方案文件调入型号、熔丝位、编程选项和文件</source>
        <translation>Loads model, fuse bits, programming options and files from a scheme file</translation>
    </message>
    <message>
        <source>把型号、熔丝位、编程选项和文件保存为方案文件</source>
        <translation>Saves model, fuse bits, programming options and files as a scheme file</translation>
    </message>
    <message>
        <source>把已调入的ELF文件中的熔丝位和锁定位调入右边</source>
        <translation>Puts the fuse and lock bytes of the loaded ELF file into the cells on the right</translation>
    </message>
    <message>
        <source>查看生产记录</source>
        <translation>Shows the production record</translation>
    </message>
    <message>
        <source>设置生产记录的数据库和工位</source>
        <translation>Sets the production record's database and station</translation>
    </message>
    <message>
        <source>在多个插座上同时编程</source>
        <translation>Programs on several sockets at once</translation>
    </message>
    <message>
        <source>读出编程器的固件版本</source>
        <translation>Reads the programmer's firmware version</translation>
    </message>
    <message>
        <source>升级编程器的固件</source>
        <translation>Updates the programmer's firmware</translation>
    </message>
    <message>
        <source>打开帮助</source>
        <translation>Opens the help</translation>
    </message>
    <message>
        <source>依次执行勾选的编程选项：擦除、写入、校验、熔丝位和锁定位</source>
        <translation>Runs the checked programming options in turn: erase, write, verify, fuse and lock bits</translation>
    </message>
    <message>
        <source>从芯片读出FLASH并显示</source>
        <translation>Reads the chip's FLASH and shows it</translation>
    </message>
    <message>
        <source>从芯片读出EEPROM并显示</source>
        <translation>Reads the chip's EEPROM and shows it</translation>
    </message>
    <message>
        <source>读出芯片的标识字和型号</source>
        <translation>Reads the chip's signature and names its model</translation>
    </message>
    <message>
        <source>读校准字节</source>
        <translation>Read calibration bytes</translation>
    </message>
    <message>
        <source>读出1、2、4、8MHz的振荡器校准字节</source>
        <translation>Reads the oscillator calibration bytes for 1, 2, 4 and 8 MHz</translation>
    </message>
    <message>
        <source>读FLASH字</source>
        <translation>Read FLASH word</translation>
    </message>
    <message>
        <source>读出地址处的FLASH字</source>
        <translation>Reads the FLASH word at the address</translation>
    </message>
    <message>
        <source>读EEPROM字节</source>
        <translation>Read EEPROM byte</translation>
    </message>
    <message>
        <source>读出地址处的EEPROM字节</source>
        <translation>Reads the EEPROM byte at the address</translation>
    </message>
    <message>
        <source>写FLASH字</source>
        <translation>Write FLASH word</translation>
    </message>
    <message>
        <source>把数据写入地址处的FLASH字</source>
        <translation>Writes the data to the FLASH word at the address</translation>
    </message>
    <message>
        <source>写EEPROM字节</source>
        <translation>Write EEPROM byte</translation>
    </message>
    <message>
        <source>把数据写入地址处的EEPROM字节</source>
        <translation>Writes the data to the EEPROM byte at the address</translation>
    </message>
    <message>
        <source>写入校准字节</source>
        <translation>Write calibration byte</translation>
    </message>
    <message>
        <source>把所选频率的校准字节写入FLASH或EEPROM的写入地址</source>
        <translation>Writes the chosen frequency's calibration byte to the address in FLASH or EEPROM</translation>
    </message>
    <message>
        <source>打开FLASH文件</source>
        <translation>FLASH: open a file</translation>
    </message>
    <message>
        <source>调入要写入FLASH的文件</source>
        <translation>Loads the file to write into FLASH</translation>
    </message>
    <message>
        <source>打开EEPROM文件</source>
        <translation>EEPROM: open a file</translation>
    </message>
    <message>
        <source>调入要写入EEPROM的文件</source>
        <translation>Loads the file to write into EEPROM</translation>
    </message>
    <message>
        <source>把显示的FLASH数据保存为文件</source>
        <translation>Saves the FLASH data shown as a file</translation>
    </message>
    <message>
        <source>把显示的EEPROM数据保存为文件</source>
        <translation>Saves the EEPROM data shown as a file</translation>
    </message>
    <message>
        <source>编 程（按编程选项）</source>
        <translation>Program with the options</translation>
    </message>
    <message>
        <source>另存为FLASH文件</source>
        <translation>Save as FLASH file</translation>
    </message>
    <message>
        <source>另存为EEPROM文件</source>
        <translation>Save as EEPROM file</translation>
    </message>
</context>
<context>
    <name>kv::PassRecorder</name>
    <message>
        <source>生产记录不可用，按设置在无记录的情况下编程：%1</source>
        <translation>Production record unavailable; programming without a record as the settings allow: %1</translation>
    </message>
    <message>
        <source>芯片已完成，记录暂未写入数据库：%1
记录已暂存在 %2，下次运行或 kelvaro-cli record flush 时上传。</source>
        <translation>The chip is done, but its record is not in the database yet: %1
The record waits in %2; the next run or kelvaro-cli record flush uploads it.</translation>
    </message>
</context>
<context>
    <name>kv::RecordKeeper</name>
    <message>
        <source>方案要求写入序列号，序列号只能从生产记录中取得；生产记录不可用，没有编程。
%1</source>
        <translation>The scheme writes serial numbers, which come only from the production record; the record is not available, nothing was programmed.
%1</translation>
    </message>
    <message>
        <source>擦除后读标识字无应答，本次擦除记录为不合格。</source>
        <translation>No answer to the signature read after the erase; the erase is recorded as failed.</translation>
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
        <translation>Start-up step "%1" not completed: %2</translation>
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
    <message>
        <source>不知道 %1 是FLASH还是EEPROM的文件，未载入。</source>
        <translation>%1: not known whether it is a FLASH or an EEPROM file; not loaded.</translation>
    </message>
    <message>
        <source>文本文件(*.TXT)|*.TXT</source>
        <translation>Text files (*.TXT)|*.TXT</translation>
    </message>
    <message>
        <source>日志保存失败：%1
%2</source>
        <translation>The log could not be saved: %1
%2</translation>
    </message>
    <message>
        <source>写入后读校准字节无应答：写入%1，地址%2。</source>
        <translation>No answer to the calibration read-back: wrote %1 at address %2.</translation>
    </message>
    <message>
        <source>校准字节写入后读回不符：写入%1，地址%2读回%3。</source>
        <translation>Calibration byte read-back differs: wrote %1, address %2 reads %3.</translation>
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
    <name>kv::ui::FuseFrame</name>
    <message>
        <source>%1 第%2位 %3</source>
        <translation>%1, bit %2: %3</translation>
    </message>
    <message>
        <source>勾选表示已编程（0）；空格键切换</source>
        <translation>Checked means programmed (0); Space toggles</translation>
    </message>
</context>
<context>
    <name>kv::ui::GangSocketsDialog</name>
    <message>
        <source>量产插座设置</source>
        <translation>Gang sockets</translation>
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
        <source>插座%1</source>
        <translation>Socket %1</translation>
    </message>
    <message>
        <source>插座数(&amp;N)：</source>
        <translation>&amp;Number of sockets:</translation>
    </message>
    <message>
        <source>端口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>速度：</source>
        <translation>Speed:</translation>
    </message>
    <message>
        <source>奇偶校验：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>Stop bits:</translation>
    </message>
</context>
<context>
    <name>kv::ui::GangWindow</name>
    <message>
        <source>量产</source>
        <translation>Gang programming</translation>
    </message>
    <message>
        <source>全部开始</source>
        <translation>Start all</translation>
    </message>
    <message>
        <source>全部停止</source>
        <translation>Stop all</translation>
    </message>
    <message>
        <source>选择方案</source>
        <translation>Choose scheme</translation>
    </message>
    <message>
        <source>插座设置</source>
        <translation>Sockets</translation>
    </message>
    <message>
        <source>方案：（未选择）</source>
        <translation>Scheme: (none)</translation>
    </message>
    <message>
        <source>方案：%1</source>
        <translation>Scheme: %1</translation>
    </message>
    <message>
        <source>插座%1</source>
        <translation>Socket %1</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>无设备</source>
        <translation>no device</translation>
    </message>
    <message>
        <source>芯片：—</source>
        <translation>Chip: —</translation>
    </message>
    <message>
        <source>芯片：%1 %2</source>
        <translation>Chip: %1 %2</translation>
    </message>
    <message>
        <source>步骤：%1</source>
        <translation>Step: %1</translation>
    </message>
    <message>
        <source>用时：%1</source>
        <translation>Time: %1</translation>
    </message>
    <message>
        <source>通过 %1  失败 %2</source>
        <translation>Pass %1  Fail %2</translation>
    </message>
    <message>
        <source>重新开始</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>方案文件 (*.SET *.set)</source>
        <translation>Scheme files (*.SET *.set)</translation>
    </message>
    <message>
        <source>插座%1（%2）</source>
        <translation>socket %1 (%2)</translation>
    </message>
    <message>
        <source>%1 用的端口 %2 正由主窗口打开，量产不能再打开它；没有开始。请先在主窗口关闭端口。</source>
        <translation>%1: port %2 is open in the main window, so the gang cannot open it; nothing started. Close the port in the main window first.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>%1：%2</source>
        <comment>socket result: its phase, the reason</comment>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>kv::ui::HelpWindow</name>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>查找(&amp;F)：</source>
        <translation>&amp;Find:</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>在帮助页中查找的文字</source>
        <translation>The text to find in the help page</translation>
    </message>
    <message>
        <source>上一个</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一个</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>帮助页</source>
        <translation>Help page</translation>
    </message>
    <message>
        <source>未找到</source>
        <translation>Not found</translation>
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
    <message>
        <source>%1数据</source>
        <translation>%1 data</translation>
    </message>
    <message>
        <source>十六进制显示：每行地址和16个字节</source>
        <translation>Hex view: an address and 16 bytes a line</translation>
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
        <source>生产</source>
        <translation>Production</translation>
    </message>
    <message>
        <source>生产记录</source>
        <translation>Production record</translation>
    </message>
    <message>
        <source>记录设置</source>
        <translation>Record settings</translation>
    </message>
    <message>
        <source>量产</source>
        <translation>Gang programming</translation>
    </message>
    <message>
        <source>FLASH</source>
        <translation>FLASH</translation>
    </message>
    <message>
        <source>EEPROM</source>
        <translation>EEPROM</translation>
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
    <message>
        <source>信息</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>程序和编程器的信息，最新的在最后</source>
        <translation>Messages of the program and the programmer, newest last</translation>
    </message>
    <message>
        <source>在浏览器中打开网页</source>
        <translation>Opens the web page in the browser</translation>
    </message>
    <message>
        <source>FLASH文件</source>
        <translation>FLASH file</translation>
    </message>
    <message>
        <source>要写入FLASH的文件的路径</source>
        <translation>Path of the file to write into FLASH</translation>
    </message>
    <message>
        <source>EEPROM文件</source>
        <translation>EEPROM file</translation>
    </message>
    <message>
        <source>要写入EEPROM的文件的路径</source>
        <translation>Path of the file to write into EEPROM</translation>
    </message>
    <message>
        <source>FLASH进度</source>
        <translation>FLASH progress</translation>
    </message>
    <message>
        <source>FLASH读写的进度</source>
        <translation>Progress of reading or writing FLASH</translation>
    </message>
    <message>
        <source>EEPROM进度</source>
        <translation>EEPROM progress</translation>
    </message>
    <message>
        <source>EEPROM读写的进度</source>
        <translation>Progress of reading or writing EEPROM</translation>
    </message>
    <message>
        <source>页面</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>熔丝选项、FLASH、EEPROM和其它；Alt+1至Alt+4切换</source>
        <translation>Fuse options, FLASH, EEPROM and Other; Alt+1 to Alt+4 switch</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>停止正在进行的操作，停在下一整页之前（Shift+F5）</source>
        <translation>Stops the running command before its next whole page (Shift+F5)</translation>
    </message>
    <message>
        <source>最近打开</source>
        <translation>Open recent</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>保存日志...</source>
        <translation>Save log...</translation>
    </message>
    <message>
        <source>清空日志</source>
        <translation>Clear log</translation>
    </message>
    <message>
        <source>%1 要载入FLASH还是EEPROM？</source>
        <translation>Load %1 into FLASH or EEPROM?</translation>
    </message>
    <message>
        <source>正在与编程器通讯。
停止本次操作（停在下一整页之前）并关闭窗口吗？
选“否”则等本次操作结束后关闭。</source>
        <translation>The programmer is busy.
Stop this command (before its next whole page) and close the window?
Choose "No" to close when it has ended.</translation>
    </message>
</context>
<context>
    <name>kv::ui::OptionTree</name>
    <message>
        <source>熔丝选项</source>
        <translation>Fuse options</translation>
    </message>
    <message>
        <source>熔丝位的选项；空格键勾选所选的一项，右边的熔丝位随之改变</source>
        <translation>Choices for the fuse bits; Space checks the selected one and the bits on the right follow</translation>
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
    <message>
        <source>%1校准字节</source>
        <translation>%1 calibration byte</translation>
    </message>
    <message>
        <source>选择要写入的校准字节</source>
        <translation>Chooses the calibration byte to write</translation>
    </message>
    <message>
        <source>选择校准字节写入的存储器</source>
        <translation>Chooses the memory the calibration byte goes to</translation>
    </message>
    <message>
        <source>FLASH中的校准字节地址</source>
        <translation>Calibration address in FLASH</translation>
    </message>
    <message>
        <source>EEPROM中的校准字节地址</source>
        <translation>Calibration address in EEPROM</translation>
    </message>
    <message>
        <source>FLASH中的校准字节地址增减</source>
        <translation>Calibration address in FLASH, up or down</translation>
    </message>
    <message>
        <source>EEPROM中的校准字节地址增减</source>
        <translation>Calibration address in EEPROM, up or down</translation>
    </message>
    <message>
        <source>FLASH字地址</source>
        <translation>FLASH word address</translation>
    </message>
    <message>
        <source>EEPROM字节地址</source>
        <translation>EEPROM byte address</translation>
    </message>
    <message>
        <source>FLASH字地址增减</source>
        <translation>FLASH word address, up or down</translation>
    </message>
    <message>
        <source>EEPROM字节地址增减</source>
        <translation>EEPROM byte address, up or down</translation>
    </message>
    <message>
        <source>FLASH字数据</source>
        <translation>FLASH word data</translation>
    </message>
    <message>
        <source>EEPROM字节数据</source>
        <translation>EEPROM byte data</translation>
    </message>
    <message>
        <source>十进制地址</source>
        <translation>Decimal address</translation>
    </message>
    <message>
        <source>增减地址</source>
        <translation>Steps the address up or down</translation>
    </message>
    <message>
        <source>十六进制数据</source>
        <translation>Hexadecimal data</translation>
    </message>
    <message>
        <source>%1（校准字节写到这里）</source>
        <translation>%1 (the calibration byte goes here)</translation>
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
        <translation>The serial device behind this port number; clear it to use the system's default</translation>
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
    <message>
        <source>波特率:</source>
        <translation>Baud rate:</translation>
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
    <message>
        <source>勾选后，“编 程”执行这一步</source>
        <translation>When checked, Program runs this step</translation>
    </message>
    <message>
        <source>%1（编程选项）</source>
        <translation>%1 (programming option)</translation>
    </message>
</context>
<context>
    <name>kv::ui::RecordSettingsDialog</name>
    <message>
        <source>生产记录设置</source>
        <translation>Production record settings</translation>
    </message>
    <message>
        <source>sqlite:文件路径，或 postgresql://用户@主机:端口/数据库；空：默认的 SQLite 文件</source>
        <translation>sqlite:FILE, or postgresql://USER@HOST:PORT/DATABASE; empty: the default SQLite file</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>允许无记录编程</source>
        <translation>Allow programming without a record</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>Test connection</translation>
    </message>
    <message>
        <source>数据库：</source>
        <translation>Database:</translation>
    </message>
    <message>
        <source>工位：</source>
        <translation>Station:</translation>
    </message>
    <message>
        <source>SQLite 数据库</source>
        <translation>SQLite databases</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>无法保存生产记录设置。</source>
        <translation>Cannot save the production record settings.</translation>
    </message>
    <message>
        <source>写熔丝位、锁定位和擦除后回读，记入生产记录</source>
        <translation>Read back after writing fuses, lock bits and after an erase, for the production record</translation>
    </message>
    <message>
        <source>操作员：</source>
        <translation>Operator:</translation>
    </message>
    <message>
        <source>工单/批号：</source>
        <translation>Work order / lot:</translation>
    </message>
</context>
<context>
    <name>kv::ui::RecordViewer</name>
    <message>
        <source>生产记录</source>
        <translation>Production record</translation>
    </message>
    <message>
        <source>上一页</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一页</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>工位</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>序列号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>前缀</source>
        <translation>Prefix</translation>
    </message>
    <message>
        <source>列出以这些数字开头的序列号</source>
        <translation>List serial numbers that start with these digits</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>导出 CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>记录列表</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>最新的记录在前；选中一条，下方显示它的全部内容</source>
        <translation>Newest first; select one to see all of it below</translation>
    </message>
    <message>
        <source>记录详情</source>
        <translation>Record details</translation>
    </message>
    <message>
        <source>选中记录的全部内容</source>
        <translation>All of the selected record</translation>
    </message>
    <message>
        <source>开始日期</source>
        <translation>From date</translation>
    </message>
    <message>
        <source>结束日期</source>
        <translation>To date</translation>
    </message>
    <message>
        <source>结果(&amp;R)：</source>
        <translation>&amp;Result:</translation>
    </message>
    <message>
        <source>操作(&amp;O)：</source>
        <translation>&amp;Operation:</translation>
    </message>
</context>
<context>
    <name>kv::ui::StatusPanels</name>
    <message>
        <source>打开或关闭端口</source>
        <translation>Open or close the port</translation>
    </message>
    <message>
        <source>端口已打开</source>
        <translation>Port open</translation>
    </message>
    <message>
        <source>端口已关闭</source>
        <translation>Port closed</translation>
    </message>
</context>
</TS>
