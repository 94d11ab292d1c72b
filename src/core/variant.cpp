#include "core/variant.h"

#include "core/settings.h"

namespace corvane::variant {

std::optional<Module> moduleFromKeyword(std::string_view keyword) {
    for (std::size_t i = 0; i < kModuleKeywords.size(); ++i)
        if (kModuleKeywords[i] == keyword)
            return Module(i);
    return std::nullopt;
}

std::optional<Module> moduleFromIndex(int index) {
    if (index < 0 || index >= int(kModuleKeywords.size()))
        return std::nullopt;
    return Module(index);
}

std::string_view keyword(Module m) {
    return kModuleKeywords[std::size_t(m)];
}

ModuleFlags flagsFor(Module m) {
    return {m == Module::Sdi, m == Module::Analog, m == Module::Hdmi};
}

Module moduleOf(const ModuleFlags& m) {
    if (m.sdi)
        return Module::Sdi;
    if (m.analog)
        return Module::Analog;
    if (m.hdmi)
        return Module::Hdmi;
    return Module::None;
}

const std::vector<std::string>& designTimeList() {
    static const std::vector<std::string> list{
        "HD SDI 1080P60",    "HD SDI 1080P30",     "HD SDI 720P60",  "HD SDI 720P30",
        "Analog PAL 576P50", "Analog NTSC 480P60", "HDMI 1080P60",   "HDMI 1080P30",
        "HDMI 720P60",       "HDMI 720P30",        "Analog PAL BAR", "Analog NTSC BAR",
        "No Sensor"};
    return list;
}

const std::vector<std::string>& fullList() {
    static const std::vector<std::string> list{
        "HD SDI 1080P60", "HD SDI 1080P30",    "HD SDI 720P60",
        "HD SDI 720P30",  "Analog PAL 576P50", "Analog NTSC 480P60",
        "Analog PAL BAR", "Analog NTSC BAR",   "No Sensor"};
    return list;
}

const std::vector<std::string>& moduleList(Module m) {
    static const std::vector<std::string> sdi{"HD SDI 1080P60", "HD SDI 1080P30", "HD SDI 720P60",
                                              "HD SDI 720P30",  "No Sensor",      "HD SDI 1080P50"};
    static const std::vector<std::string> analog{"Analog PAL 576P50", "Analog NTSC 480P60",
                                                 "Analog PAL BAR", "Analog NTSC BAR", "No Sensor"};
    static const std::vector<std::string> hdmi{"HDMI 1080P60", "HDMI 1080P30", "HDMI 720P60",
                                               "HDMI 720P30", "No Sensor"};
    static const std::vector<std::string> none{"No Sensor"};
    switch (m) {
    case Module::Sdi:
        return sdi;
    case Module::Analog:
        return analog;
    case Module::Hdmi:
        return hdmi;
    case Module::None:
        break;
    }
    return none;
}

std::string fullCaption(Channel c) {
    return c == Channel::Ch11 ? "RTSP Stream 11" : "RTSP Stream 12";
}

std::string moduleCaption(Channel c, Module m) {
    static constexpr std::array<std::string_view, 4> suffix{" (HD SDI)", " (Analog)", " (HDMI)",
                                                            " (No Module)"};
    return fullCaption(c) + std::string(suffix[std::size_t(m)]);
}

namespace {

StreamView fullView(Channel c) {
    return {fullCaption(c), fullList(), -1};
}

StreamView moduleView(Channel c, Module m) {
    return {moduleCaption(c, m), moduleList(m), m == Module::None ? 0 : -1};
}

// Applies one channel of the small board to the effect.
void applyChannel(VariantEffect& e, Channel c, std::optional<Module> m) {
    if (!m)
        return;
    e.flags.modules(c) = flagsFor(*m);
    (c == Channel::Ch11 ? e.stream11 : e.stream12) = moduleView(c, *m);
}

} // namespace

VariantEffect applyFullVariant(const BoardFlags& current) {
    VariantEffect e;
    e.title = std::string(kFullTitle);
    e.flags = current;
    e.flags.fullBoard = true;
    e.flags.boardVariant = 0;
    e.stream11 = fullView(Channel::Ch11);
    e.stream12 = fullView(Channel::Ch12);
    return e;
}

VariantEffect applySmallVariant(const BoardFlags& current, std::optional<Module> ch11,
                                std::optional<Module> ch12) {
    VariantEffect e;
    e.title = std::string(kSmallTitle);
    e.flags = current;
    e.flags.fullBoard = false;
    e.flags.boardVariant = 1;
    applyChannel(e, Channel::Ch11, ch11);
    applyChannel(e, Channel::Ch12, ch12);
    return e;
}

std::optional<VariantEffect> variantFromBoardFile(std::string_view fileText,
                                                  const BoardFlags& current) {
    auto lines = settings::splitLines(fileText);
    auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string{}; };
    const std::string first = line(0);
    if (first == "Corvane")
        return applyFullVariant(current);
    if (first != "Lumo")
        return std::nullopt;

    auto m11 = moduleFromKeyword(line(1));
    auto m12 = moduleFromKeyword(line(2));
    VariantEffect e = applySmallVariant(current, m11, m12);
    if (m11)
        e.c11gIndex = int(*m11);
    if (m12)
        e.c12gIndex = int(*m12);
    return e;
}

VariantEffect saveBoardDialog(const BoardFlags& flags, int c11gIndex, int c12gIndex) {
    VariantEffect e;
    e.flags = flags;
    if (flags.fullBoard)
        e = applyFullVariant(flags);
    if (flags.boardVariant != 0) {
        VariantEffect small =
            applySmallVariant(e.flags, moduleFromIndex(c11gIndex), moduleFromIndex(c12gIndex));
        // Keep what the full board set for a channel the small board leaves alone.
        if (!small.stream11)
            small.stream11 = e.stream11;
        if (!small.stream12)
            small.stream12 = e.stream12;
        // Both sections leave fullBoard/boardVariant as the dialog set them.
        small.flags.fullBoard = flags.fullBoard;
        small.flags.boardVariant = flags.boardVariant;
        e = small;
    }
    return e;
}

std::string writeBoardFile(const BoardFlags& flags, int c11gIndex, int c12gIndex) {
    std::string out;
    if (flags.fullBoard)
        out += "Corvane\r\n";
    if (flags.boardVariant != 0) {
        out += "Lumo\r\n";
        auto m11 = moduleFromIndex(c11gIndex);
        auto m12 = moduleFromIndex(c12gIndex);
        // A group without a selection writes no line; but when only channel 11 has none, an
        // empty line holds its place, or channel 12's keyword would be read back as channel 11's.
        if (m11 || m12)
            out += std::string(m11 ? keyword(*m11) : std::string_view{}) + "\r\n";
        if (m12)
            out += std::string(keyword(*m12)) + "\r\n";
    }
    return out;
}

} // namespace corvane::variant
