#include "mdlTools.h"

#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"

#include <limits>

namespace mdlTools {
namespace {

// Values longer than this come back cut, as from a fixed 999-character read buffer.
constexpr int IniBufferSize = 999;

QString iniFile(const QString &file)
{
    return file.isEmpty() ? platform::applicationIniPath() : file;
}

}  // namespace

QString ReadIniString(const QString &section, const QString &key, const QString &defaultValue, const QString &file)
{
    return TrimNull(platform::ini::readString(iniFile(file), section, key, defaultValue, IniBufferSize));
}

int16_t ReadIniInt(const QString &section, const QString &key, int16_t defaultValue, const QString &file)
{
    const int32_t value = platform::ini::readInt(iniFile(file), section, key, defaultValue);
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        return defaultValue;
    return static_cast<int16_t>(value);
}

bool WriteIniString(const QString &section, const QString &key, const QString &value, const QString &file)
{
    return platform::ini::writeString(iniFile(file), section, key, value);
}

}  // namespace mdlTools
