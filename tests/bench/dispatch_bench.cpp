// Serial dispatch over a noisy line: noise that matches no reply, fed in 64-byte pieces with a
// full dispatch after each piece, as the serial receive event does. The time must grow linearly
// with the amount of noise: 4 MiB may take at most 4.5 times as long as 1 MiB.
#include "core/replies.h"

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

} // namespace

int main() {
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
    return ratio < 4.5 ? 0 : 1;
}
