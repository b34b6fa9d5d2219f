// A probe of the build rules: never built into anything.
#include <device/..\device/CDevice.h>
