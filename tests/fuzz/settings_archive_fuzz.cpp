// A settings archive as a user may have edited it: read into a setting, written as the archive of
// the software it names and read again. What was read must come back, or the write must refuse.
#include "FuzzSupport.h"
#include "core/Parameters.h"
#include "core/Setting.h"
#include "platform/Error.h"
#include "session/mdlMain.h"
#include "session/mdlMainArchive.h"

namespace {

std::optional<Setting> read(const QString &file)
{
    Setting setting;
    try {
        mdlMain::ReadArchive(setting, file);
    } catch (const platform::Error &) {
        // The archive is refused with a message.
        return std::nullopt;
    }
    return setting;
}

std::optional<QString> valueOf(const Parameters &parameters, const QString &tag)
{
    try {
        return parameters.Item(tag)->Value();
    } catch (const platform::Error &) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::InputFile archive(QStringLiteral("archive.ini"));
    static fuzz::InputFile copy(QStringLiteral("copy.ini"));
    const auto first = read(archive.write(fuzz::bytes(data, size)));
    if (!first || first->Title().isEmpty())
        return 0;

    Setting written = *first;
    mdlMain::CurrentSoftware.Name = first->Title();
    const QString copyFile = copy.write(QByteArray());
    try {
        mdlMain::WriteSettingSection(written, copyFile);
    } catch (const platform::Error &) {
        return 0;
    }
    auto again = read(copyFile);
    fuzz::check(again && again->Title() == first->Title(), "the archive names the same software");
    const auto parameters = again->Parameters();
    for (const auto &parameter : *written.Parameters()) {
        if (parameter->Tag().compare(QLatin1String("Title"), Qt::CaseInsensitive) != 0)
            fuzz::check(valueOf(*parameters, parameter->Tag()) == parameter->Value(),
                        "every parameter comes back with its value");
    }
    return 0;
}
