// SPDX-License-Identifier: MIT
// Kept apart: the kernel's termios2 header clashes with the C library's termios.h.
#include "sim/PtyBaud.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kv::sim {

namespace {

struct RateCode {
    unsigned code;
    int baud;
};

constexpr RateCode kRates[] = {
    {B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},
    {B150, 150},       {B200, 200},       {B300, 300},         {B600, 600},
    {B1200, 1200},     {B1800, 1800},     {B2400, 2400},       {B4800, 4800},
    {B9600, 9600},     {B19200, 19200},   {B38400, 38400},     {B57600, 57600},
    {B115200, 115200}, {B230400, 230400}, {B460800, 460800},   {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000}, {B2000000, 2000000},
};

}  // namespace

int ptyBaudRate(int fd) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) {
        return 0;
    }
    const unsigned code = t.c_cflag & CBAUD;
    if (code == BOTHER) {
        return int(t.c_ospeed);
    }
    for (const RateCode& rate : kRates) {
        if (rate.code == code) {
            return rate.baud;
        }
    }
    return int(t.c_ospeed);
}

}  // namespace kv::sim
