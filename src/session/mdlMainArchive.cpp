#include "mdlMainArchive.h"

#include "core/Setting.h"
#include "core/mdlTools.h"
#include "mdlMain.h"
#include "platform/Error.h"
#include "platform/IniFile.h"

namespace mdlMain {
namespace {

// The name lists are read as through a buffer of 999 characters.
constexpr int NameBufferSize = 999;

// A file that is refused (a FIFO, a device, a folder picked by mistake) is named with the reason.
void writeKey(const QString &section, const QString &key, const QString &value, const QString &file)
{
    if (mdlTools::WriteIniString(section, key, value, file))
        return;
    const QString refusal = platform::ini::refusal(file);
    throw platform::Error(FileAccessError, QStringLiteral("mdlMain.WriteSettingSection"),
                          file + QStringLiteral(": ") +
                              (refusal.isEmpty() ? QStringLiteral("Path/File access error") : refusal));
}

}  // namespace

void WriteSettingSection(Setting &setting, const QString &file)
{
    const QString section = CurrentSoftware.Name;
    writeKey(section, QStringLiteral("Title"), setting.Title(), file);
    for (const auto &parameter : *setting.Parameters())
        writeKey(section, parameter->Tag(), parameter->Value(), file);
}

void ReadArchive(Setting &setting, const QString &file)
{
    const QString refusal = platform::ini::refusal(file);
    if (!refusal.isEmpty())
        throw platform::Error(FileAccessError, QStringLiteral("mdlMain.ReadArchive"),
                              file + QStringLiteral(": ") + refusal);
    const QStringList sections = platform::ini::sectionNames(file, NameBufferSize);
    const QString section = sections.value(0);
    setting.setTitle(section);
    if (section.isEmpty())
        return;
    const auto parameters = setting.Parameters();
    // A key that stands twice fails on its second Add, as a parameter added twice does.
    const auto keys = platform::ini::keyNames(file, section, NameBufferSize, platform::IniDocument::Repeats::Listed);
    for (const QString &key : keys)
        parameters->Add(key, mdlTools::ReadIniString(section, key, QString(QChar(0)), file));
}

}  // namespace mdlMain
