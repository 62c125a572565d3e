// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimLine.h"

namespace zul::sim {

int64_t BaudOf(speed_t speed) {
    switch (speed) {
        case B50:
            return 50;
        case B75:
            return 75;
        case B110:
            return 110;
        case B134:
            return 134;
        case B150:
            return 150;
        case B200:
            return 200;
        case B300:
            return 300;
        case B600:
            return 600;
        case B1200:
            return 1200;
        case B1800:
            return 1800;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        case B460800:
            return 460800;
        case B500000:
            return 500000;
        case B576000:
            return 576000;
        case B921600:
            return 921600;
        case B1000000:
            return 1000000;
        default:
            return 0;
    }
}

int BitsPerCharacter(const termios& settings) {
    int data = 8;
    switch (settings.c_cflag & CSIZE) {
        case CS5:
            data = 5;
            break;
        case CS6:
            data = 6;
            break;
        case CS7:
            data = 7;
            break;
        default:
            data = 8;
            break;
    }
    int parity = (settings.c_cflag & PARENB) ? 1 : 0;
    int stop = (settings.c_cflag & CSTOPB) ? 2 : 1;
    return 1 + data + parity + stop;
}

int64_t CharacterTimeNs(int64_t baud, int bitsPerCharacter) {
    if (baud <= 0) {
        return 0;
    }
    return static_cast<int64_t>(bitsPerCharacter) * 1000000000LL / baud;
}

bool MakeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return false;
    }
    speed_t in = cfgetispeed(&settings);
    speed_t out = cfgetospeed(&settings);
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, in);
    cfsetospeed(&settings, out);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace zul::sim
