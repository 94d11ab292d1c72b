#include "core/detection.h"

#include "core/text.h"

#include <algorithm>

namespace corvane::detection {

using variant::BoardFlags;
using variant::ModuleFlags;

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The low eight bits of a hexadecimal text, or nothing when it is empty or not hexadecimal.
std::optional<int> lowByteOfHex(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    unsigned v = 0;
    for (char c : text) {
        int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = ((v << 4) | unsigned(d)) & 0xFFu;
    }
    return int(v);
}

// The input each table selects for a code; nothing for codes outside the table.
std::optional<std::string_view> sdiInput(int v) {
    switch (v) {
    case 0x2B:
        return "HD SDI 1080P60";
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x2A:
    case 0x2C:
    case 0x2D:
        return "HD SDI 1080P30";
    case 0x00:
    case 0x01:
    case 0x20:
        return "HD SDI 720P60";
    case 0x02:
    case 0x03:
        return "HD SDI 720P30";
    case 0x1D:
    case 0x1E:
    case 0x3A:
    case 0x3C:
        return "No Sensor";
    default:
        return std::nullopt;
    }
}

std::optional<std::string_view> hdmiInput(int v) {
    switch (v) {
    case 0:
        return "No Sensor";
    case 1:
        return "HDMI 1080P60";
    case 2:
        return "HDMI 1080P30";
    case 3:
    case 4:
        return "HDMI 720P60";
    default:
        return std::nullopt;
    }
}

std::optional<std::string_view> analogInput(int v) {
    switch (v) {
    case 0:
        return "No Sensor";
    case 1:
        return "Analog PAL 576P50";
    case 2:
        return "Analog NTSC 480P60";
    default:
        return std::nullopt;
    }
}

using Table = std::optional<std::string_view> (*)(int);

// Runs one table on one channel. Returns false after a conversion error.
bool runTable(Table table, std::string_view code, const std::vector<std::string>& items,
              std::optional<int>& selection, std::optional<std::string>& error) {
    auto v = lowByteOfHex(code);
    if (!v) {
        error = text::invalidIntegerMessage("$" + std::string(code));
        return false;
    }
    auto input = table(*v);
    if (!input)
        return true;
    auto it = std::find(items.begin(), items.end(), *input);
    if (it != items.end())
        selection = int(it - items.begin());
    return true;
}

} // namespace

AutoReplyParts cutAutRes(std::string_view buffer) {
    AutoReplyParts p;
    auto start = buffer.find("2288");
    if (start == std::string_view::npos)
        return p;
    std::string_view w = buffer.substr(start + 4, 8);
    p.w = std::string(w);

    auto dollar = w.find('$');
    std::string_view t;
    if (dollar == std::string_view::npos) {
        t = w.substr(0, 4);
    } else {
        p.r1 = std::string(w.substr(0, dollar));
        t = w.substr(dollar + 1, 4);
    }
    auto dollarT = t.find('$');
    if (dollarT != std::string_view::npos)
        p.r2 = std::string(t.substr(0, dollarT));

    auto percent = w.find('%');
    if (percent != std::string_view::npos && percent + 1 < w.size())
        p.status = w[percent + 1];
    return p;
}

std::optional<std::string> panel8Text(std::optional<char> status) {
    if (!status)
        return std::nullopt;
    switch (*status) {
    case 'f':
        return std::string();
    case '1':
        return std::string("Client Connected");
    case '2':
        return std::string("Client DisConnected");
    default:
        return std::nullopt;
    }
}

ResSelection findRes(const BoardFlags& flags, std::string_view r1, std::string_view r2,
                     const std::vector<std::string>& s1iItems,
                     const std::vector<std::string>& s2iItems) {
    ResSelection out;
    auto run = [&](Table table, bool channel11) {
        return channel11 ? runTable(table, r1, s1iItems, out.s1i, out.error)
                         : runTable(table, r2, s2iItems, out.s2i, out.error);
    };
    const ModuleFlags& m11 = flags.ch11;
    const ModuleFlags& m12 = flags.ch12;

    if (flags.boardVariant == 1) {
        if (m11.sdi && !run(sdiInput, true))
            return out;
        if (m11.hdmi && !run(hdmiInput, true))
            return out;
        if (m12.sdi && !run(sdiInput, false))
            return out;
        if (m12.hdmi && !run(hdmiInput, false))
            return out;
        if (m11.analog && !run(analogInput, true))
            return out;
        if (m12.analog && !run(analogInput, false))
            return out;
    }
    if (flags.fullBoard) {
        if (m11.sdi && !run(sdiInput, true))
            return out;
        if (m12.sdi && !run(sdiInput, false))
            return out;
        if (m11.analog && !run(analogInput, true))
            return out;
        if (m12.analog && !run(analogInput, false))
            return out;
    }
    return out;
}

AutResult decodeAutRes(std::string_view buffer, const BoardFlags& flags,
                       const std::vector<std::string>& s1iItems,
                       const std::vector<std::string>& s2iItems) {
    AutoReplyParts parts = cutAutRes(buffer);
    ResSelection sel = findRes(flags, parts.r1, parts.r2, s1iItems, s2iItems);
    AutResult out;
    out.s1i = sel.s1i;
    out.s2i = sel.s2i;
    out.error = sel.error;
    if (!out.error)
        out.panel8 = panel8Text(parts.status);
    return out;
}

AssemblyResult findAssem(std::string_view text) {
    AssemblyResult out;
    std::string_view c11 = text.substr(std::min<std::size_t>(2, text.size()), 1);
    std::string_view c12 = text.substr(std::min<std::size_t>(4, text.size()), 1);
    for (std::string_view c : {c11, c12}) {
        if (c.empty() || c[0] < '0' || c[0] > '9') {
            out.error = text::invalidIntegerMessage(c);
            return out;
        }
    }
    auto position = [](char digit) -> std::optional<int> {
        switch (digit) {
        case '0':
            return 3; // None
        case '1':
            return 0; // HD SDI
        case '2':
            return 2; // HDMI
        case '3':
            return 1; // Analog
        default:
            return std::nullopt;
        }
    };
    out.c11g = position(c11[0]);
    out.c12g = position(c12[0]);
    return out;
}

controls::Applied autResActions(const AutResult& result) {
    using controls::Action;
    controls::Applied out;
    if (result.s1i)
        out.actions.push_back(Action::select(controls::Ctl::S1I, *result.s1i));
    if (result.s2i)
        out.actions.push_back(Action::select(controls::Ctl::S2I, *result.s2i));
    if (result.panel8)
        out.actions.push_back(Action::state(Action::Op::Panel8, *result.panel8));
    if (result.error)
        out.error = *result.error;
    return out;
}

} // namespace corvane::detection
