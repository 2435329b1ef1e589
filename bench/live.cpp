// The live monitor at the serial line rate, in the real window.
//
// A child process plays the controller (the pedal simulator on a pseudo-terminal) and
// sweeps an expression pedal at 2,880 frames/s, the most a 115200-baud 8N1 line
// carries in 4-byte frames. This process runs the real main window on the offscreen
// platform, connects to the simulator like a user would, and watches the expression
// table. Because the device runs in its own process, getrusage(RUSAGE_SELF) here is
// the window's cost alone.
//
// Phase 1: 10 s at line rate: frames listed vs sent, CPU time as a share of one core.
// Phase 2: more frames at line rate up to 100,000 in all: resident memory growth,
// which must stay small because the tables keep at most 1000 rows.
#include "app/widget.h"
#include "device/serialport.h"
#include "support/fake_device_enumerator.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"
#include "upgrade/download_server.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double lineFramesPerSecond = 115200.0 / 10 / 4; // 2880
constexpr int phaseOneSeconds = 10;
constexpr quint64 phaseOneFrames = quint64(lineFramesPerSecond * phaseOneSeconds);
constexpr quint64 allFrames = 100000;
constexpr double cpuTargetPercent = 25;
constexpr double memoryTargetKb = 10 * 1024;
constexpr int idleMs = 1500; // no new row for this long after the device finished: the rest is lost

int targets = 0;
int met = 0;

void figure(const char* metric, double value, const char* unit, const char* target, bool ok)
{
    ++targets;
    met += ok ? 1 : 0;
    std::printf("%s: %.1f %s (target %s)\n", metric, value, unit, target);
    std::fflush(stdout);
}

void note(const char* metric, double value, const char* unit)
{
    std::printf("%s: %.1f %s (no target)\n", metric, value, unit);
    std::fflush(stdout);
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Time this process was ready to run but waited for a CPU (second field of
// /proc/self/schedstat), in seconds: on a busy machine the window falls behind for
// want of a CPU, not for its own cost.
double runQueueSeconds()
{
    QFile stat(QStringLiteral("/proc/self/schedstat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    return stat.readAll().split(' ').value(1).toDouble() / 1e9;
}

// VmRSS of /proc/self/status, in kB.
double residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    }
    return -1;
}

bool writeLine(int fd, const std::string& line)
{
    const std::string text = line + "\n";
    return ::write(fd, text.data(), text.size()) == ssize_t(text.size());
}

// Reads one line from a blocking descriptor.
std::string readLine(int fd)
{
    std::string line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

// --- the controller, in the child process ---
//
// Commands on its input: "live <count>" sweeps count frames at line rate, then answers
// "sent <n>"; "quit" ends it.
int runDevice(int argc, char** argv, int commands, int reports)
{
    QCoreApplication app(argc, argv);
    PedalSimulator device;
    if (!device.start()) {
        writeLine(reports, "error no pty");
        return 1;
    }
    writeLine(reports, device.slavePath().toStdString());

    QObject::connect(&device, &PedalSimulator::liveFramesFinished, [&] {
        writeLine(reports, "sent " + std::to_string(device.liveFramesSent()));
    });
    QSocketNotifier input(commands, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        const std::string line = readLine(commands);
        if (line.rfind("live ", 0) == 0) {
            const quint64 count = std::stoull(line.substr(5));
            device.startLiveFrames(lineFramesPerSecond, PedalSimulator::ccSweep(0, 1, 7), count);
        } else {
            app.quit(); // "quit", or the window's end of the pipe closed
        }
    });
    return app.exec();
}

// --- the window, in this process ---

struct Phase
{
    quint64 sent = 0;
    quint64 shown = 0;
    quint64 received = 0;  // live frames the port delivered to the window
    double seconds = 0;    // from the first frame asked for to the last row listed
    double cpu = 0;        // CPU time of this process over the same span
    double waited = 0;     // time it was ready to run but had no CPU
};

class Bench
{
public:
    Bench(int commands, int reports) : m_commands(commands), m_reports(reports) {}

    bool connectWindow(const QString& slavePath)
    {
        m_bus.plug("Quorvane ZRT-30", 0x1209, 0x7001, slavePath);
        m_window.show();
        auto* port = m_window.findChild<SerialPort*>();
        port->initPort();
        m_window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();
        if (!port->isOpen())
            return false;
        // Let the handshake, the query and the identity exchange finish first.
        spin(1500);
        QAbstractItemModel* table = m_window.findChild<QTableView*>(QStringLiteral("tableView"))->model();
        QObject::connect(table, &QAbstractItemModel::rowsInserted, [this](const QModelIndex&, int first, int last) {
            m_shown += quint64(last - first + 1);
            m_lastRowCpu = cpuSeconds();
            m_lastRowNs = m_clock.nsecsElapsed();
        });
        // What the receive path delivers, to tell its losses from the window's.
        QObject::connect(port, &SerialPort::pedalMidiDataSignal, [this](const Protocol::MsgPackage& package) {
            if (package.cmdType == Protocol::PedalData)
                ++m_received;
        });
        m_shown = 0;
        return true;
    }

    Phase play(quint64 frames)
    {
        Phase phase;
        const quint64 shownBefore = m_shown;
        const quint64 receivedBefore = m_received;
        quint64 sent = 0;
        bool finished = false;
        QEventLoop loop;
        QSocketNotifier reports(m_reports, QSocketNotifier::Read);
        QObject::connect(&reports, &QSocketNotifier::activated, [&] {
            const std::string line = readLine(m_reports);
            if (line.rfind("sent ", 0) == 0)
                sent = std::stoull(line.substr(5));
            finished = true;
        });
        quint64 shownAtLastLook = 0;
        qint64 quietSinceNs = -1;
        QTimer watch;
        watch.setInterval(50);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const quint64 shown = m_shown - shownBefore;
            if (finished && shown >= sent) {
                loop.quit();
                return;
            }
            if (shown != shownAtLastLook) {
                shownAtLastLook = shown;
                quietSinceNs = m_clock.nsecsElapsed();
            } else if (finished && quietSinceNs >= 0 && m_clock.nsecsElapsed() - quietSinceNs > idleMs * 1000000LL) {
                loop.quit();
            }
        });

        m_clock.start();
        const double cpuStart = cpuSeconds();
        const double waitStart = runQueueSeconds();
        m_lastRowCpu = cpuStart;
        m_lastRowNs = 0;
        writeLine(m_commands, "live " + std::to_string(frames));
        watch.start();
        loop.exec();

        phase.sent = sent;
        phase.shown = m_shown - shownBefore;
        phase.received = m_received - receivedBefore;
        phase.seconds = double(m_lastRowNs) / 1e9;
        phase.cpu = m_lastRowCpu - cpuStart;
        phase.waited = runQueueSeconds() - waitStart;
        return phase;
    }

private:
    static void spin(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    int m_commands;
    int m_reports;
    FakeDeviceEnumerator m_bus; // before the window: no real bus is scanned
    Widget m_window;
    QElapsedTimer m_clock;
    quint64 m_shown = 0;
    quint64 m_received = 0;
    double m_lastRowCpu = 0;
    qint64 m_lastRowNs = 0;
};

int runWindow(int argc, char** argv, int commands, int reports)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window reads and writes its settings file: keep the user's own out of it.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quillmar.*=false"));
    applyApplicationLook();
    // The update and firmware checks of a connected window go nowhere.
    DownloadServer::setBaseAddressForTesting(QStringLiteral("https://127.0.0.1:9"));

    const QString slavePath = QString::fromStdString(readLine(reports));
    if (slavePath.isEmpty() || slavePath.startsWith(QLatin1String("error"))) {
        std::fprintf(stderr, "bench_live: the simulated controller did not start\n");
        return 1;
    }

    int status = 0;
    {
        Bench bench(commands, reports);
        if (!bench.connectWindow(slavePath)) {
            std::fprintf(stderr, "bench_live: cannot connect to %s\n", qPrintable(slavePath));
            return 1;
        }
        const double rssStart = residentKb();

        const Phase one = bench.play(phaseOneFrames);
        char target[64];
        std::snprintf(target, sizeof target, "= %llu sent", static_cast<unsigned long long>(one.sent));
        figure("frames shown at line rate, 10 s", double(one.shown), "frames", target,
               one.sent == phaseOneFrames && one.shown == one.sent);
        note("frames delivered by the receive path, 10 s", double(one.received), "frames");
        note("waiting for a CPU, share of the 10 s", one.seconds > 0 ? 100.0 * one.waited / one.seconds : 0, "%");
        note("CPU time per frame shown", one.shown > 0 ? 1e6 * one.cpu / double(one.shown) : 0, "us");
        note("rate shown", one.seconds > 0 ? one.shown / one.seconds : 0, "frames/s");
        const double cpuPercent = one.seconds > 0 ? 100.0 * one.cpu / one.seconds : 100;
        std::snprintf(target, sizeof target, "<= %.0f", cpuTargetPercent);
        figure("CPU time, share of one core", cpuPercent, "%", target, cpuPercent <= cpuTargetPercent);

        const Phase two = bench.play(allFrames - phaseOneFrames);
        const quint64 sent = one.sent + two.sent;
        const quint64 shown = one.shown + two.shown;
        const double rssEnd = residentKb();
        note("frames sent in all", double(sent), "frames");
        std::snprintf(target, sizeof target, "= %llu sent", static_cast<unsigned long long>(sent));
        figure("frames shown in all", double(shown), "frames", target, sent == allFrames && shown == sent);
        note("resident memory at the start", rssStart, "kB");
        note("resident memory after 100,000 frames", rssEnd, "kB");
        std::snprintf(target, sizeof target, "<= %.0f", memoryTargetKb);
        figure("resident memory growth", rssEnd - rssStart, "kB", target,
               rssStart > 0 && rssEnd - rssStart <= memoryTargetKb);
    }
    writeLine(commands, "quit");
    wait(&status);
    std::printf("bench live: %d of %d targets met\n", met, targets);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The device process is forked before any Qt object exists.
    int toDevice[2];
    int toWindow[2];
    if (pipe(toDevice) != 0 || pipe(toWindow) != 0) {
        std::perror("bench_live: pipe");
        return 1;
    }
    const pid_t child = fork();
    if (child < 0) {
        std::perror("bench_live: fork");
        return 1;
    }
    if (child == 0) {
        close(toDevice[1]);
        close(toWindow[0]);
        return runDevice(argc, argv, toDevice[0], toWindow[1]);
    }
    close(toDevice[0]);
    close(toWindow[1]);
    return runWindow(argc, argv, toDevice[1], toWindow[0]);
}
