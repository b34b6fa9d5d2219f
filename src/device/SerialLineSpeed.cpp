#include "SerialLineSpeed.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace SerialLineSpeed {

namespace {
bool read(int fd, termios2 &line)
{
    return ::ioctl(fd, TCGETS2, &line) == 0;
}
}  // namespace

int set(int fd, int32_t baud)
{
    if (baud <= 0)
        return EINVAL;
    termios2 line{};
    if (!read(fd, line))
        return errno;
    line.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = static_cast<speed_t>(baud);
    line.c_ospeed = static_cast<speed_t>(baud);
    if (::ioctl(fd, TCSETS2, &line) != 0)
        return errno;
    // A driver that cannot make the speed substitutes another one instead of failing.
    return current(fd) == baud ? 0 : EINVAL;
}

int32_t current(int fd)
{
    termios2 line{};
    return read(fd, line) ? static_cast<int32_t>(line.c_ospeed) : 0;
}

}  // namespace SerialLineSpeed
