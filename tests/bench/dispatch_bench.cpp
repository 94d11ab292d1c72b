// Serial dispatch over a noisy line: noise that matches no reply, fed in 64-byte pieces with a
// full dispatch after each piece, as the serial receive event does. The time must grow linearly
// with the amount of noise: 4 MiB may take at most 4.5 times as long as 1 MiB.
//
// Second case: the same 4 MiB through the link's serial reception (record, append, dispatch) with
// the link monitor recording every piece, against the link with nothing recording. Recording may
// cost at most 5 %.
#include "core/replies.h"
#include "dialogs/link_monitor.h"
#include "link/board_link.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>

namespace {

using namespace corvane;

// Marker halves in plenty ("A", "2", "9", "G", "%", "A3" + letters, "A7", "A8", "2288") but no
// reply that fires: never "AA", "GG", "55", "991177", "B74D", nor "A3" + digit.
std::string noise(std::size_t size, unsigned seed) {
    static const char alphabet[] = "A78G29%1xyB4D3";
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pick(0, int(sizeof alphabet) - 2);
    std::string out;
    out.reserve(size);
    while (out.size() < size) {
        const char c = alphabet[pick(rng)];
        const char prev = out.empty() ? '\0' : out.back();
        if ((prev == 'A' && c == 'A') || (prev == 'G' && c == 'G'))
            continue;
        if (prev == '3' && out.size() >= 2 && out[out.size() - 2] == 'A' && c >= '0' && c <= '9')
            continue;
        out += c;
        if (out.ends_with("991177") || out.ends_with("B74D"))
            out.pop_back();
    }
    return out;
}

double run(const std::string& text, int& fired) {
    replies::ReceiveBuffer rx;
    const replies::DispatchFlags flags{false, true};
    // Processor time of this process: other programs on a busy machine do not count.
    const std::clock_t start = std::clock();
    for (std::size_t i = 0; i < text.size(); i += 64) {
        rx.append(std::string_view(text).substr(i, 64));
        replies::dispatch(
            rx, replies::Transport::Serial, [&] { return flags; },
            [&](const replies::Effect&) { ++fired; });
    }
    return double(std::clock() - start) / CLOCKS_PER_SEC;
}

// The link's serial reception of the whole text, with or without the monitor recording. The views'
// sync runs as its timer would, once for every 1024 pieces (64 KiB).
double runLink(const std::string& text, bool recording) {
    BoardLink link;
    LinkMonitorModel model;
    if (recording) {
        link.setRecorder(&model);
    }
    const std::clock_t start = std::clock();
    std::size_t pieces = 0;
    for (std::size_t i = 0; i < text.size(); i += 64) {
        link.receiveSerialPiece(std::string_view(text).substr(i, 64));
        if (++pieces % 1024 == 0)
            model.sync();
    }
    const double t = double(std::clock() - start) / CLOCKS_PER_SEC;
    if (recording && model.ring().size() != std::min<std::size_t>(pieces, model.ring().capacity()))
        std::printf("unexpected: %zu rows recorded\n", model.ring().size());
    return t;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string small = noise(1u << 20, 1);
    const std::string large = noise(4u << 20, 2);
    int fired = 0;
    // Best of several runs, so that a busy machine does not decide the ratio.
    auto best = [&](const std::string& text) {
        double t = run(text, fired);
        for (int i = 0; i < 10; ++i)
            t = std::min(t, run(text, fired));
        return t;
    };
    const double tSmall = best(small);
    const double tLarge = best(large);
    const double ratio = tLarge / tSmall;
    std::printf("1 MiB: %.3f s\n4 MiB: %.3f s\nratio: %.2f (limit 4.5)\n", tSmall, tLarge, ratio);
    if (fired != 0) {
        std::printf("unexpected: %d effects from noise\n", fired);
        return 2;
    }
    // Alternating runs, best of each, so that a busy moment of the machine hits both alike.
    double off = 1e9, on = 1e9;
    for (int i = 0; i < 8; ++i) {
        off = std::min(off, runLink(large, false));
        on = std::min(on, runLink(large, true));
    }
    const double recordingRatio = on / off;
    std::printf("4 MiB through the link: %.3f s, recorded by the monitor: %.3f s\n"
                "recording ratio: %.3f (limit 1.05)\n",
                off, on, recordingRatio);
    return ratio < 4.5 && recordingRatio <= 1.05 ? 0 : 1;
}
