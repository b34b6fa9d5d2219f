// A probe of the build rules: never built into anything.
// clang-format off
#  include   "../core/TextId.h"
