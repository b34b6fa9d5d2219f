#pragma once

#include <QString>
#include <QStringList>

namespace platform::serial {

// The device that stands behind COMn: a link dosdevices/comN in the program folder when
// present (for any n from 1 to 256), otherwise COM1..32 = /dev/ttyS0..31,
// COM33..64 = /dev/ttyUSB0..31, COM65..96 = /dev/ttyACM0..31. Empty for any other number.
QString devicePathForPort(int portNumber);

// The names ("COM3") of every port whose device exists (a link only when its target exists), in
// ascending order of n; ttyS ports only when they are real UARTs.
QStringList availablePorts();

}  // namespace platform::serial
