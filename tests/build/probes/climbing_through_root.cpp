// A probe of the build rules: never built into anything.
#include "platform/../../src/panel/UCKVR.h"
