#include "BenchFigures.h"
#include "SimProcess.h"
#include "device/CDevice.h"
#include "device/CommPort.h"
#include "device/EventWait.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/WinSocket.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <fcntl.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <sched.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

SimProcess *sim = nullptr;
constexpr int PollRounds = 15;

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Serves the event loop until done() holds, for up to a second. The clock is read only once a
// pass has not sufficed, so a client's figure does not carry the harness's own clock reads.
template <typename Done> bool awaitInEventLoop(Done done)
{
    double deadline = 0.0;
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (done())
            return true;
        const double now = platform::clock::monotonicSeconds();
        if (deadline == 0.0)
            deadline = now + 1.0;
        else if (now >= deadline)
            return false;
    }
    return true;
}

// The console's device object on one link to the stand-in.
class ConsoleLink {
public:
    explicit ConsoleLink(bool ethernet) : ethernet_(ethernet)
    {
        device_.setPort(&port_);
        device_.setEthernetPort(&socket_);
        device_.setUseEthernet([this] { return ethernet_; });
        if (ethernet) {
            socket_.setRemoteHost(QStringLiteral("127.0.0.1"));
            socket_.setRemotePort(sim->tcpPort());
            socket_.Connect();
            EventWait::until([this] { return socket_.State() == platform::WinSocket::sckConnected; },
                             platform::clock::monotonicSeconds() + 2.0);
        } else {
            port_.PortNumber = QString::number(SimProcess::ComNumber);
            port_.Settings = QStringLiteral("115200,N,8,1");
            port_.setPortOpen(true);
        }
    }

    // One status poll, returned when its reply has been processed (or has timed out).
    bool poll()
    {
        device_.CheckStatus();
        if (ethernet_)
            awaitReply();
        return device_.Connected();
    }

    CDevice &device() { return device_; }

private:
    // A TCP reply is handled where the console handles it, in the event loop, woken by its
    // arrival; a reply that never comes is given up on at the next tick of a timer that runs
    // for the whole measurement, as the console's own timers do.
    void awaitReply()
    {
        awaitInEventLoop([this] { return device_.PendingRequests().Count() == 0; });
    }

    bool ethernet_;
    CommPort port_;
    platform::WinSocket socket_;
    CDevice device_;
};

void consolePolls(benchmark::State &state, bool ethernet)
{
    ConsoleLink link(ethernet);
    QTimer guard;
    guard.start(250);
    if (!link.poll()) {
        state.SkipWithError("the stand-in does not answer");
        return;
    }
    for (auto _ : state) {
        if (!link.poll())
            state.SkipWithError("a poll went unanswered");
    }
    state.SetItemsProcessed(state.iterations());
}

// The least any client in an event loop does per poll: the request sent with one call, the loop
// woken by the reply's arrival on a socket notifier, the reply taken as it comes. The console's
// figures beside these show what the device object adds to the event loop it runs in.
int openRawLink(bool ethernet)
{
    if (ethernet) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in stand_in{};
        stand_in.sin_family = AF_INET;
        stand_in.sin_port = htons(sim->tcpPort());
        stand_in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&stand_in), sizeof stand_in) == 0 &&
            ::fcntl(fd, F_SETFL, O_NONBLOCK) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    const int fd = ::open(sim->ptyPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios raw{};
    if (fd >= 0 && ::tcgetattr(fd, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::cfsetspeed(&raw, B115200);
        if (::tcsetattr(fd, TCSANOW, &raw) == 0)
            return fd;
    }
    if (fd >= 0)
        ::close(fd);
    return -1;
}

void eventLoopFloorPolls(benchmark::State &state, bool ethernet)
{
    // Input registers 0-20 of unit 1: the status poll's request and the length of its reply.
    const QByteArray request = ethernet ? QByteArray::fromHex("000100000006010400000015")
                                        : QByteArray::fromHex("010400000015"
                                                              "31c5");
    const qsizetype replyLength = ethernet ? 7 + 2 + 42 : 3 + 42 + 2;
    const int fd = openRawLink(ethernet);
    if (fd < 0) {
        state.SkipWithError("cannot reach the stand-in");
        return;
    }
    qsizetype received = 0;
    QSocketNotifier arrivals(fd, QSocketNotifier::Read);
    QObject::connect(&arrivals, &QSocketNotifier::activated, [&] {
        char chunk[512];
        received += std::max<ssize_t>(::read(fd, chunk, sizeof chunk), 0);
    });
    QTimer guard;
    guard.start(250);
    for (auto _ : state) {
        received = 0;
        if (::write(fd, request.constData(), static_cast<size_t>(request.size())) != request.size())
            state.SkipWithError("the request was not sent");
        if (!awaitInEventLoop([&] { return received >= replyLength; }) || received != replyLength)
            state.SkipWithError("a poll went unanswered");
    }
    state.SetItemsProcessed(state.iterations());
    ::close(fd);
}

void libmodbusPolls(benchmark::State &state, bool ethernet)
{
    modbus_t *ctx = ethernet ? modbus_new_tcp("127.0.0.1", sim->tcpPort())
                             : modbus_new_rtu(sim->ptyPath().toLocal8Bit().constData(), 115200, 'N', 8, 1);
    if (!ctx || modbus_set_slave(ctx, 1) != 0 || modbus_connect(ctx) != 0) {
        state.SkipWithError("libmodbus cannot reach the stand-in");
        if (ctx)
            modbus_free(ctx);
        return;
    }
    uint16_t registers[21];
    for (auto _ : state) {
        if (modbus_read_input_registers(ctx, 0, 21, registers) != 21)
            state.SkipWithError("a libmodbus read failed");
    }
    state.SetItemsProcessed(state.iterations());
    modbus_close(ctx);
    modbus_free(ctx);
}

// A device object polling every 500 ms for 30 s, as the link watchdog does: CPU in that time.
void idlePolling(benchmark::State &state, bool ethernet)
{
    ConsoleLink link(ethernet);
    for (auto _ : state) {
        QTimer watchdog;
        QObject::connect(&watchdog, &QTimer::timeout, [&link] { link.device().CheckStatus(); });
        const double cpuBefore = processCpuSeconds();
        watchdog.start(500);
        EventWait::until([] { return false; }, platform::clock::monotonicSeconds() + 30.0);
        watchdog.stop();
        const double cpu = processCpuSeconds() - cpuBefore;
        state.counters["cpu_ms_in_30s"] = cpu * 1000.0;
        state.counters["cpu_percent"] = cpu / 30.0 * 100.0;
        state.counters["connected"] = link.device().Connected() ? 1 : 0;
    }
}

// The client and the stand-in (started after this) share the processor the program started on.
// Left to the scheduler, where the two land swings the cost of every wake-up, and with it both
// clients' figures, by a factor of two from one run to the next.
void pinToOneProcessor()
{
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(::sched_getcpu(), &one);
    if (::sched_setaffinity(0, sizeof one, &one) != 0)
        std::perror("device_bench: sched_setaffinity");
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    pinToOneProcessor();
    SimProcess process;
    if (!process.start()) {
        std::fprintf(stderr, "device_bench: the stand-in did not start\n");
        return 1;
    }
    sim = &process;
    platform::setProgramFolderForTests(process.folder());

    // Polls per second by the wall clock; the CPU column is the client's own time per poll. Short
    // rounds, interleaved, each client's median: the figures swing with the machine's load.
    using Client = std::pair<std::string, void (*)(benchmark::State &, bool)>;
    for (const bool ethernet : {false, true}) {
        const std::string link = ethernet ? "tcp" : "serial";
        for (const auto &[client, polls] : {Client{"console/", consolePolls}, Client{"libmodbus/", libmodbusPolls},
                                            Client{"event_loop_floor/", eventLoopFloorPolls}})
            benchmark::RegisterBenchmark((client + link).c_str(), polls, ethernet)
                ->Unit(benchmark::kMicrosecond)
                ->UseRealTime()
                ->MinTime(0.2)
                ->Repetitions(PollRounds)
                ->ReportAggregatesOnly();
    }
    benchmark::RegisterBenchmark("idle_polling_500ms/serial", idlePolling, false)->Iterations(1);
    benchmark::RegisterBenchmark("idle_polling_500ms/tcp", idlePolling, true)->Iterations(1);

    using namespace benchfigures;
    const std::string libmodbus = "libmodbus client on the same stand-in";
    std::vector<Figure> figures;
    for (const std::string link : {"serial", "tcp"}) {
        figures.push_back({"status polls per second, " + link, counter("console/" + link, "items_per_second", "/s"),
                           libmodbus, counter("libmodbus/" + link, "items_per_second", "/s"), atLeast(1.0)});
        figures.push_back({"CPU per status poll, " + link, cpuTime("console/" + link), libmodbus,
                           cpuTime("libmodbus/" + link), atMost(1.0)});
        figures.push_back({"status polls per second, " + link + ", bare event-loop client",
                           counter("event_loop_floor/" + link, "items_per_second", "/s"), libmodbus,
                           counter("libmodbus/" + link, "items_per_second", "/s"), std::nullopt});
    }
    for (const std::string link : {"serial", "tcp"})
        figures.push_back({"CPU while polling every 500 ms, " + link,
                           counter("idle_polling_500ms/" + link, "cpu_percent", "%"),
                           {},
                           {},
                           std::nullopt});
    return run(argc, argv, figures, Order::Interleaved);
}
