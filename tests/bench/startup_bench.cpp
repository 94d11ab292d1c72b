// Start-up cost of the program against a bare Qt application: wall time from process start to the
// end of start-up, and peak resident memory, median of several runs each, measured in one run.
//   startup_bench            runs both kinds RUNS times (default 7) and prints the medians
//   startup_bench --bare     a QApplication that quits at once
//   startup_bench --program  the six windows, the main window shown, start-up done, then quit
#include "app/windows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

int runChild(const char* self, const char* mode, double* ms, long* maxRssKb) {
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(self, self, mode, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    *ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    *maxRssKb = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

template <typename T> T median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--bare") {
        QApplication app(argc, argv);
        QTimer::singleShot(0, &app, &QApplication::quit);
        return app.exec();
    }
    if (mode == "--program") {
        QApplication app(argc, argv);
        auto windows = createWindows();
        windows->Form1->show();
        // Start-up runs queued after the first show; quit right behind it.
        QTimer::singleShot(0, &app, [&] { QTimer::singleShot(0, &app, &QApplication::quit); });
        const int rc = app.exec();
        return windows->Form1->windowTitle().contains(QLatin1String("ver")) ? rc : 3;
    }

    const int runs =
        qEnvironmentVariableIntValue("RUNS") > 0 ? qEnvironmentVariableIntValue("RUNS") : 7;
    QTemporaryDir dir;
    {
        QFile f(dir.filePath("udpf.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("127.0.0.1\r\n127.0.0.1\r\n8070\r\n");
    }
    {
        QFile f(dir.filePath("brdf.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("Corvane\r\n");
    }
    QDir::setCurrent(dir.path());
    std::vector<double> bareMs, programMs;
    std::vector<long> bareKb, programKb;
    for (int i = 0; i < runs; ++i) {
        double ms;
        long kb;
        if (runChild("/proc/self/exe", "--bare", &ms, &kb) != 0)
            return 1;
        bareMs.push_back(ms);
        bareKb.push_back(kb);
        if (runChild("/proc/self/exe", "--program", &ms, &kb) != 0)
            return 2;
        programMs.push_back(ms);
        programKb.push_back(kb);
    }
    std::printf("runs: %d each (platform %s)\n", runs, qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("bare QApplication : %7.1f ms  %6ld KiB peak\n", median(bareMs), median(bareKb));
    std::printf("corvane-control   : %7.1f ms  %6ld KiB peak\n", median(programMs),
                median(programKb));
    std::printf("difference        : %7.1f ms  %6ld KiB\n", median(programMs) - median(bareMs),
                median(programKb) - median(bareKb));
    return 0;
}
