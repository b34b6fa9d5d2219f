// A probe of the build rules: a library above device reaches for its private header.
#include "device/CDeviceShared.h"

int probePrivateHeader() { return 0; }
