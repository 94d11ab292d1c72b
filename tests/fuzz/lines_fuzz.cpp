// libFuzzer target for the "name=value" reader of corvane-ctl's files (build with -DCORVANE_FUZZ=ON
// and clang; see tests/CMakeLists.txt).
//
// Input: one flag byte choosing the board (bit 0 small board; bits 1-3 channel 11's module, bits
// 4-6 channel 12's; bit 7 reads only the network values, as save-network does), then the text.
// Checked beyond the sanitizers: a text is accepted or refused with a message, never both; a
// message is one line of printable ASCII of bounded length however long the input (input is
// quoted, escaped and cut); a refused line exists; an accepted text gives every value it needs,
// only lists positions that exist and only texts that may be sent; what it prints reads back the
// same; its JSON is valid UTF-8; and no frame that its save or network save would send holds a
// carriage return before its end.
#include "core/config_text.h"
#include "core/network.h"
#include "core/save_plan.h"
#include "core/value_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace corvane;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

variant::ModuleFlags modules(unsigned bits) {
    return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
}

// A message: one line of printable ASCII, no longer than the longest the reader can build (the
// names of every control, or the items of a list, and a few quoted texts).
void checkMessage(const std::string& m) {
    check(!m.empty() && m.size() <= 2048);
    check(std::all_of(m.begin(), m.end(), [](char c) { return c >= 0x20 && c < 0x7f; }));
}

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c < 0xc2 || c > 0xf4)
            return false;
        const std::size_t more = c < 0xe0 ? 1 : c < 0xf0 ? 2 : 3;
        if (i + more >= s.size())
            return false;
        for (std::size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80)
                return false;
        i += more + 1;
    }
    return true;
}

// Every frame ends with its one carriage return (or is empty: a count without a frame).
void checkFrames(const steps::Steps& steps) {
    for (const steps::Step& step : steps) {
        if (step.kind != steps::Step::Kind::Send || step.frame.empty())
            continue;
        check(step.frame.find('\r') == step.frame.size() - 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    variant::BoardFlags flags;
    flags.fullBoard = (data[0] & 1) == 0;
    flags.boardVariant = flags.fullBoard ? 0 : 1;
    flags.ch11 = modules(data[0] >> 1);
    flags.ch12 = modules((data[0] >> 4) & 7);
    const auto need = (data[0] & 0x80) != 0 ? configtext::Need::Network : configtext::Need::Every;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const configtext::Parsed p = configtext::fromLines(text, flags, need);
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (!p.ok()) {
        checkMessage(p.message());
        check(p.errorLine >= 0 && p.errorLine <= lines);
        return 0;
    }
    check(p.errorLine == 0);
    for (const auto& row : controls::kCatalogue) {
        const int line = p.lines[static_cast<std::size_t>(row.id)];
        check(line >= 0 && line <= lines);
        const bool needed =
            need == configtext::Need::Every ||
            std::find(configtext::kNetworkControls.begin(), configtext::kNetworkControls.end(),
                      row.id) != configtext::kNetworkControls.end();
        check(!needed || line > 0);
        if (row.kind == controls::Kind::List)
            check(p.view.index(row.id) >= -1 &&
                  p.view.index(row.id) <
                      static_cast<int>(configtext::listItems(row.id, flags).size()));
        if (line > 0 && (row.kind == controls::Kind::Edit || row.kind == controls::Kind::Caption))
            check(!values::textRefused(row.id, p.view.text(row.id)));
    }
    check(validUtf8(configtext::toJson(p.view, flags)));

    if (need == configtext::Need::Network) {
        const plan::Plan plan = network::planNetworkSave(p.view);
        for (const plan::Item& item : plan.items) {
            if (const auto* step = std::get_if<steps::Step>(&item))
                checkFrames({*step});
            else if (const auto* message = std::get_if<plan::Message>(&item))
                checkMessage(message->text);
        }
        return 0;
    }
    check(configtext::refusedText(p.view).empty());
    const std::string printed = configtext::toLines(p.view, flags);
    const configtext::Parsed again = configtext::fromLines(printed, flags);
    check(again.ok() && configtext::toLines(again.view, flags) == printed);

    const save::SavePlan plan = save::planSave(p.view, configtext::saveState(p.view, flags));
    if (!plan.message.empty()) {
        checkMessage(plan.message);
        const int line = configtext::refusedLine(plan.message, p);
        check(line >= 0 && line <= lines);
    }
    checkFrames(plan.all());
    return 0;
}
