#include "core/line_speed.h"

namespace alvento::sim {

int baudOf(speed_t speed) {
    struct Rate {
        speed_t code;
        int baud;
    };
    static constexpr Rate kRates[] = {
        {B300, 300},     {B600, 600},       {B1200, 1200},     {B2400, 2400},
        {B4800, 4800},   {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
        {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
    };
    for (const Rate& r : kRates)
        if (r.code == speed)
            return r.baud;
    return 0;
}

int lineBaud(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return 0;
    return baudOf(::cfgetospeed(&t));
}

} // namespace alvento::sim
