// A probe of the build rules: a text asked for by a bare number.
#include "core/mdlStrings.h"

QString probeTextByNumber()
{
    return mdlStrings::Translate(45);
}
