// The main thread's CPU time per frame sent over UDP and acknowledged, with the window shown and
// the event loop run after each frame (so a repaint left for later is counted too): the send, the
// receive, the dispatch and the READY indicator going out and coming back. A peer on 127.0.0.1
// acknowledges every frame at once. Prints the median of 15 batches of 200 frames.
//
//   xvfb-run -a build/tests/ready_bench          (QT_QPA_PLATFORM=offscreen for the offscreen one)
//   FRAMES=200 valgrind --tool=callgrind build/tests/ready_bench   (BATCHES=1 for a short run)
#include "core/frames.h"
#include "support/links.h"
#include "support/program.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double threadCpuUs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

int setting(const char* name, int fallback) {
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int frames = setting("FRAMES", 200);
    const int batches = setting("BATCHES", 15);
    UdpResponder board([](const QByteArray&) { return QByteArray("55"); });
    RunningProgram p;
    p.udpAt(board.port());
    p.udp()->setChecked(true);
    p.f->Connect1Click();
    p.f->Timer1->stop();
    if (!p.f->udpActive()) {
        std::fprintf(stderr, "the UDP link did not open\n");
        return 1;
    }
    if (!QTest::qWaitForWindowExposed(p.f))
        std::fprintf(stderr, "the window was not exposed\n");
    const std::string frame = corvane::frames::stopStream();
    auto* ready = p.label(QStringLiteral("RDS"));
    const auto sendAll = [&] {
        for (int i = 0; i < frames; ++i) {
            p.f->CWriteStr(frame);
            QCoreApplication::processEvents();
        }
    };
    sendAll(); // warm-up
    std::vector<double> perFrame;
    for (int b = 0; b < batches; ++b) {
        const double start = threadCpuUs();
        sendAll();
        perFrame.push_back((threadCpuUs() - start) / frames);
        if (!p.f->AckReceived || !ready->isVisible()) {
            std::fprintf(stderr, "the last frame was not acknowledged\n");
            return 1;
        }
    }
    std::sort(perFrame.begin(), perFrame.end());
    std::printf("UDP frame sent and acknowledged (%s, %d x %d frames): main thread CPU "
                "min %.1f us, median %.1f us, max %.1f us per frame\n",
                qPrintable(QGuiApplication::platformName()), batches, frames, perFrame.front(),
                perFrame[perFrame.size() / 2], perFrame.back());
    return 0;
}
