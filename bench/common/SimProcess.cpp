#include "SimProcess.h"

#include <QRegularExpression>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {
constexpr int ReadyWaitMs = 5000;
constexpr int StopWaitMs = 2000;

// Waits up to ms for the child to end; true when it has been reaped.
bool reaped(pid_t pid, int ms)
{
    for (int waited = 0;; waited += 10) {
        const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return true;
        if (waited >= ms)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
}  // namespace

SimProcess::SimProcess() = default;

SimProcess::~SimProcess()
{
    stop();
}

bool SimProcess::start(const QStringList &options)
{
    const QStringList arguments = QStringList{QStringLiteral(VARIX_DEVSIM_PATH),
                                              QStringLiteral("--folder"),
                                              dir_.path(),
                                              QStringLiteral("--com"),
                                              QString::number(ComNumber),
                                              QStringLiteral("--tcp"),
                                              QStringLiteral("0"),
                                              QStringLiteral("--software-id"),
                                              QStringLiteral("24")} +
                                  options;
    std::vector<QByteArray> texts;
    for (const QString &argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    const int spawned = ::posix_spawn(&pid_, argv.front(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    output_ = pipe[0];
    if (spawned != 0) {
        pid_ = -1;
        return false;
    }
    return readReadyLine();
}

bool SimProcess::readReadyLine()
{
    static const QRegularExpression ready(QStringLiteral("READY pty=(\\S+) tcp=(\\d+)"));
    QByteArray text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReadyWaitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd readable{output_, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char chunk[256];
        const ssize_t got = ::read(output_, chunk, sizeof chunk);
        if (got <= 0)
            return false;
        text.append(chunk, got);
        const auto match = ready.match(QString::fromLocal8Bit(text));
        if (match.hasMatch()) {
            ptyPath_ = match.captured(1);
            tcpPort_ = static_cast<quint16>(match.captured(2).toUInt());
            return true;
        }
    }
    return false;
}

void SimProcess::stop()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        if (!reaped(pid_, StopWaitMs)) {
            ::kill(pid_, SIGKILL);
            reaped(pid_, StopWaitMs);
        }
    }
    if (output_ >= 0)
        ::close(output_);
    pid_ = -1;
    output_ = -1;
}
