#pragma once

namespace devsim {

// The speed the client set on the terminal fd (any rate, not only the termios table's); 0 when
// the terminal cannot tell. Apart from <termios.h>, which clashes with the kernel's interface.
int ptyLineSpeed(int fd);

}  // namespace devsim
