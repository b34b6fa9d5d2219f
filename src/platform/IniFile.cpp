#include "IniFile.h"

#include "AtomicFile.h"
#include "IniDocument.h"
#include "RegularFile.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::ini {
namespace {

// Texts are read many times (every translated caption reads Strings.ini), so a parsed file is
// kept until the file on disk changes.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp &other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

using SharedDocument = std::shared_ptr<const IniDocument>;

struct CachedFile {
    FileStamp stamp;
    SharedDocument document;
};

constexpr int CacheLimit = 16;

QMutex mutex;
QHash<QString, CachedFile> cache;

enum class Load { Ok, Missing, Failed };

// Far beyond any settings file, texts file or archive the console writes.
constexpr qint64 SizeLimit = 8 * 1024 * 1024;

// Reads and parses a file, from the cache when it has not changed. The caller holds the mutex.
Load load(const QString &file, SharedDocument &document)
{
    RegularFile opened(file, SizeLimit);
    if (opened.status() == RegularFile::Status::Missing)
        return Load::Missing;
    if (opened.status() != RegularFile::Status::Ok)
        return Load::Failed;
    const struct stat &info = opened.info();
    const FileStamp stamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    const auto cached = cache.constFind(file);
    if (cached != cache.cend() && cached->stamp == stamp) {
        document = cached->document;
        return Load::Ok;
    }
    QByteArray bytes;
    if (!opened.readAll(bytes))
        return Load::Failed;
    document = std::make_shared<const IniDocument>(IniDocument::parse(bytes));
    if (cache.size() >= CacheLimit)
        cache.clear();
    cache.insert(file, {stamp, document});
    return Load::Ok;
}

SharedDocument loadForReading(const QString &file)
{
    SharedDocument document;
    if (file.isEmpty() || load(file, document) != Load::Ok)
        return nullptr;
    return document;
}

// A file whose permissions allow nobody to write is read-only even for a user who could override them.
bool writable(const QString &file)
{
    const QByteArray name = QFile::encodeName(file);
    struct stat info {};
    return ::stat(name.constData(), &info) == 0 && (info.st_mode & 0222) != 0 && ::access(name.constData(), W_OK) == 0;
}

// Loads the file (a missing one is empty), applies the change and writes the result. A file that
// exists but cannot be read or written is left alone, so nothing in it is lost.
template <typename Change> bool modify(const QString &file, Change change)
{
    if (file.isEmpty())
        return false;
    SharedDocument loadedDocument;
    const Load loaded = load(file, loadedDocument);
    if (loaded == Load::Failed)
        return false;
    if (loaded == Load::Ok && !writable(file))
        return false;
    IniDocument document = loadedDocument ? *loadedDocument : IniDocument();
    const QByteArray before = document.serialise();
    change(document);
    const QByteArray after = document.serialise();
    if (after == before)
        return true;
    cache.remove(file);
    // A link is followed, so that it stays a link.
    return replaceFileAtomically(file, after);
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// Names that would read back as something else (a comment, a header, another key) are refused.
bool validSection(const QString &section)
{
    const QString name = section.trimmed();
    return !name.isEmpty() && !name.contains(QLatin1Char(']')) && !hasLineBreak(section);
}

bool validKey(const QString &key)
{
    const QString name = key.trimmed();
    return !name.isEmpty() && !name.contains(QLatin1Char('=')) && !hasLineBreak(key) &&
           !name.startsWith(QLatin1Char('[')) && !name.startsWith(QLatin1Char(';'));
}

}  // namespace

QString readString(const QString &file, const QString &section, const QString &key, const QString &defaultValue,
                   int bufferSize)
{
    QMutexLocker lock(&mutex);
    const auto document = loadForReading(file);
    // Only what the buffer holds is decoded.
    const qsizetype limit = std::max(bufferSize - 1, 0);
    const auto found = document ? document->value(section, key, limit) : std::nullopt;
    QString text = found ? *found : defaultValue;
    // The value is handed over as a C string in a buffer of bufferSize characters.
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    if (bufferSize < 1)
        return QString();
    if (text.size() > bufferSize - 1)
        text.truncate(bufferSize - 1);
    return text;
}

int32_t readInt(const QString &file, const QString &section, const QString &key, int32_t defaultValue)
{
    QMutexLocker lock(&mutex);
    const auto document = loadForReading(file);
    const auto found = document ? document->value(section, key) : std::nullopt;
    // An empty value counts as missing; any other value without digits reads as 0.
    if (!found || found->isEmpty())
        return defaultValue;
    const QString &text = *found;
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+')))
        negative = text[pos++] == QLatin1Char('-');
    const qsizetype firstDigit = pos;
    int64_t number = 0;
    for (; pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128; ++pos) {
        number = number * 10 + (text[pos].unicode() - '0');
        if (number > int64_t(INT32_MAX) + 1)
            return defaultValue;
    }
    if (pos == firstDigit)
        return 0;
    number = negative ? -number : number;
    if (number > INT32_MAX)
        return defaultValue;
    return static_cast<int32_t>(number);
}

QStringList sectionNames(const QString &file, int bufferSize)
{
    QMutexLocker lock(&mutex);
    const auto document = loadForReading(file);
    return document ? document->sectionNames(bufferSize) : QStringList();
}

QStringList keyNames(const QString &file, const QString &section, int bufferSize, IniDocument::Repeats repeats)
{
    QMutexLocker lock(&mutex);
    const auto document = loadForReading(file);
    return document ? document->keyNames(section, repeats, bufferSize) : QStringList();
}

QString refusal(const QString &file)
{
    return readRefusal(file, SizeLimit);
}

bool writeString(const QString &file, const QString &section, const QString &key, const QString &value)
{
    if (!validSection(section) || !validKey(key))
        return false;
    QMutexLocker lock(&mutex);
    return modify(file, [&](IniDocument &document) { document.setValue(section, key, value); });
}

bool deleteKey(const QString &file, const QString &section, const QString &key)
{
    QMutexLocker lock(&mutex);
    return modify(file, [&](IniDocument &document) { document.removeKey(section, key); });
}

bool deleteSection(const QString &file, const QString &section)
{
    QMutexLocker lock(&mutex);
    return modify(file, [&](IniDocument &document) { document.removeSection(section); });
}

}  // namespace platform::ini
