// A probe of the build rules: a library above device uses its public header.
#include "device/CDevice.h"

int probePublicHeader() { return 0; }
