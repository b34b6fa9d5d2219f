#include "panel/UCKVR.h"
#include "platform/ConsoleApplication.h"
#include "platform/DisplayCheck.h"
#include "session/MainWindowHook.h"
#include "session/mdlMain.h"
#include "shell/FMain.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr const char *Name = "varix-console";

// --help and --version are answered on the terminal, with no display needed; every other
// argument is left to the toolkit, as before.
std::optional<int> answerOnTheTerminal(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            std::printf("Usage: %s [options]\n"
                        "The Varix Configuration Console: sets up and watches a Varix vibration and collision\n"
                        "sensor over a serial port or Ethernet, chosen in Tools > Options.\n\n"
                        "Options:\n"
                        "  -h, --help     Displays this help.\n"
                        "  -v, --version  Displays version information.\n",
                        Name);
            return 0;
        }
        if (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-v") == 0) {
            std::printf("%s %s\n", Name, VARIX_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = answerOnTheTerminal(argc, argv))
        return *status;
    // Without a display the toolkit could only abort, with advice to reinstall the program.
    if (const QString problem = platform::displayProblem(); !problem.isEmpty()) {
        std::fprintf(stderr,
                     "%s: %s.\nStart it from a desktop session (or over ssh -X), or unseen under a virtual X "
                     "server: xvfb-run -a %s\n",
                     Name, problem.toLocal8Bit().constData(), Name);
        return 1;
    }
    platform::ConsoleApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(Name));
    QApplication::setApplicationVersion(QStringLiteral(VARIX_VERSION));
    UCKVR::Register();
    mdlMain::LoadMainWindow = [] { FMain::Load(); };
    mdlMain::Main();
    return QApplication::exec();
}
