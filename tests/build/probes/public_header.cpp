// A probe of the build rules: a library above device uses its public header, and a text by name.
#include "core/mdlStrings.h"
#include "device/CDevice.h"

QString probePublicHeader()
{
    return mdlStrings::Translate(txt::MenuAbout);
}
