#include "BenchFigures.h"
#include "core/Setting.h"
#include "platform/IniFile.h"
#include "platform/RegularFile.h"
#include "session/mdlMainArchive.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace {

// Just below the bound of every INI file the console reads.
constexpr qsizetype FileBytes = 8 * 1024 * 1024 - 16;

QTemporaryDir *files = nullptr;

QString writeFile(const QString &name, const QByteArray &content)
{
    const QString path = files->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    return path;
}

// "[sN]" lines, numbered from 0.
QByteArray sections(int count)
{
    QByteArray content;
    for (int n = 0; n < count; ++n)
        content += "[s" + QByteArray::number(n) + "]\r\n";
    return content;
}

// An archive of one section filled with keys up to the size.
QByteArray manyKeys()
{
    QByteArray content = "[Varix KVR]\r\n";
    for (int n = 0; content.size() < FileBytes - 32; ++n)
        content += "Key" + QByteArray::number(n) + "=" + QByteArray::number(n) + "\r\n";
    return content;
}

QByteArray oneLongLine()
{
    QByteArray content = "[Varix KVR]\r\nTitle=";
    content += QByteArray(FileBytes - content.size() - 2, 'x');
    return content + "\r\n";
}

// A new modification time, so that the engine reads and parses the file again.
void touch(const QString &path)
{
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, 0);
}

void sectionNames(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        state.PauseTiming();
        touch(path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(platform::ini::sectionNames(path));
    }
}

// The whole archive load of the console: its first section's name, keys and values.
void loadArchive(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        state.PauseTiming();
        touch(path);
        state.ResumeTiming();
        Setting setting;
        mdlMain::ReadArchive(setting, path);
        if (setting.Title().isEmpty())
            state.SkipWithError("the archive was not read");
    }
}

// The reference: the same bytes read from the same file, nothing done with them.
void plainRead(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        QString refusal;
        const auto bytes = platform::readRegularFile(path, FileBytes + 16, refusal);
        if (!bytes)
            state.SkipWithError("the file was not read");
        benchmark::DoNotOptimize(bytes);
    }
}

struct Shape {
    std::string name;
    std::string description;
    QByteArray content;
    bool archive;
};

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    files = &dir;
    std::vector<Shape> shapes;
    for (const int count : {10000, 40000, 160000, 700000})
        shapes.push_back({"sections_" + std::to_string(count / 1000) + "k",
                          "section names of a file of " + std::to_string(count / 1000) + "k sections", sections(count),
                          false});
    shapes.push_back({"archive_sections", "archive load, 8 MiB of sections", sections(700000), true});
    shapes.push_back({"archive_keys", "archive load, 8 MiB of keys in one section", manyKeys(), true});
    shapes.push_back({"archive_long_line", "archive load, 8 MiB in one line", oneLongLine(), true});

    std::vector<benchfigures::Figure> figures;
    using namespace benchfigures;
    for (const Shape &shape : shapes) {
        const QString path = writeFile(QString::fromStdString(shape.name), shape.content);
        if (path.isEmpty()) {
            std::fprintf(stderr, "ini_bench: cannot write %s\n", shape.name.c_str());
            return 1;
        }
        const std::string engine = "ini/" + shape.name;
        const std::string reference = "reference/read/" + shape.name;
        benchmark::RegisterBenchmark(engine.c_str(), shape.archive ? loadArchive : sectionNames, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(reference.c_str(), plainRead, path)->Unit(benchmark::kMillisecond)->UseRealTime();
        figures.push_back({"INI " + shape.description, wallTime(engine),
                           "a plain read of the same " + std::to_string(shape.content.size() / 1024) + " KiB",
                           wallTime(reference), atMost(20)});
    }
    return run(argc, argv, figures, Order::Interleaved);
}
