#include "PtyLineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace devsim {

int ptyLineSpeed(int fd)
{
    termios2 line{};
    return fd >= 0 && ::ioctl(fd, TCGETS2, &line) == 0 ? static_cast<int>(line.c_ospeed) : 0;
}

}  // namespace devsim
