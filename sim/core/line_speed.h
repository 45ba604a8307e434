#pragma once
// The speed the tool has set on the serial line. A module runs at one speed;
// bytes sent at another arrive as noise.

#include <termios.h>

namespace alvento::sim {

// Baud rate of a termios speed code; 0 for a code not listed.
int baudOf(speed_t speed);
// The output speed set on the terminal `fd`, in baud (0 when unknown).
int lineBaud(int fd);

} // namespace alvento::sim
