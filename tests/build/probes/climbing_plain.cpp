// A probe of the build rules: never built into anything.
#include "../core/TextId.h"
