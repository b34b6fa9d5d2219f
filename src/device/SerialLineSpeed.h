#pragma once

#include <cstdint>

// Any line speed, not only the fixed table of the termios interface: 14400, 28800 and 56000 baud
// are common on the devices' converters. Kept apart from <termios.h>, whose declarations clash
// with the kernel's arbitrary-rate interface.
namespace SerialLineSpeed {

// Sets both directions of the open terminal fd to baud. Returns 0, or the error number: the
// driver's own, or EINVAL when it reports back another speed than the one asked for.
int set(int fd, int32_t baud);

// The output speed the driver reports for fd; 0 when it cannot tell.
int32_t current(int fd);

}  // namespace SerialLineSpeed
