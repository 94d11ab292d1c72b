#include "core/config_text.h"

#include "core/inputs.h"
#include "core/mappings.h"
#include "core/text.h"
#include "core/value_rules.h"

#include <algorithm>
#include <cstdio>

namespace corvane::configtext {

using controls::Ctl;
using controls::Kind;

namespace {

std::vector<std::string> resolutions(int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.emplace_back(inputs::kResolutions[static_cast<std::size_t>(i)].text);
    return out;
}

std::string jsonString(std::string_view s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else if (c >= 0x80) { // Latin-1 in UTF-8
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        } else {
            out += ch;
        }
    }
    return out + '"';
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items)
        out += (out.empty() ? "" : ", ") + item;
    return out;
}

} // namespace

std::vector<std::string> listItems(Ctl c, const variant::BoardFlags& flags) {
    switch (c) {
    case Ctl::S1I:
    case Ctl::S2I: {
        if (flags.fullBoard)
            return variant::fullList();
        const auto channel = c == Ctl::S1I ? variant::Channel::Ch11 : variant::Channel::Ch12;
        return variant::moduleList(variant::moduleOf(flags.modules(channel)));
    }
    case Ctl::Res1:
    case Ctl::Res2:
        return resolutions(static_cast<int>(inputs::kResolutions.size()));
    case Ctl::RecRes1:
    case Ctl::RecRes2:
        return resolutions(inputs::kRecResolutionCount);
    case Ctl::Efmt1:
    case Ctl::Efmt2:
        return {"H.264", "H.265"};
    case Ctl::RTP11_S:
    case Ctl::RTP12_S:
        return {"Unicast", "Multicast"};
    default:
        return {};
    }
}

std::string valueText(const controls::ConfigView& view, Ctl c, const variant::BoardFlags& flags) {
    switch (controls::info(c).kind) {
    case Kind::List: {
        const int i = view.index(c);
        const auto items = listItems(c, flags);
        if (i < 0 || i >= static_cast<int>(items.size()))
            return {};
        return items[static_cast<std::size_t>(i)];
    }
    case Kind::Check:
    case Kind::Radio:
        return view.checked(c) ? "on" : "off";
    default:
        return view.text(c);
    }
}

std::string toLines(const controls::ConfigView& view, const variant::BoardFlags& flags) {
    std::string out;
    for (const auto& row : controls::kCatalogue)
        out += std::string(row.name) + '=' + valueText(view, row.id, flags) + '\n';
    return out;
}

std::string toJson(const controls::ConfigView& view, const variant::BoardFlags& flags) {
    std::string out = "{";
    for (const auto& row : controls::kCatalogue) {
        out += out.size() > 1 ? ",\n  " : "\n  ";
        out += jsonString(row.name) + ": ";
        if (row.kind == Kind::Check || row.kind == Kind::Radio)
            out += view.checked(row.id) ? "true" : "false";
        else
            out += jsonString(valueText(view, row.id, flags));
    }
    return out + "\n}\n";
}

std::string Parsed::message() const {
    return errorLine > 0 ? "line " + std::to_string(errorLine) + ": " + error : error;
}

Parsed fromLines(std::string_view text, const variant::BoardFlags& flags, Need need) {
    Parsed p;
    const auto refuse = [&p](int line, std::string why) {
        p.errorLine = line;
        p.error = std::move(why);
        return p;
    };
    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return refuse(number, "'" + text::quoted(line) + "' is not name=value");
        const std::string name(line.substr(0, eq));
        const std::string value(line.substr(eq + 1));
        const auto ctl = controls::byName(name);
        if (!ctl)
            return refuse(number, "unknown name '" + text::quoted(name) + "'");
        int& seen = p.lines[static_cast<std::size_t>(*ctl)];
        if (seen != 0)
            return refuse(number,
                          name + " is given twice (first on line " + std::to_string(seen) + ")");
        seen = number;
        controls::ControlValue& v = p.view[*ctl];
        switch (controls::info(*ctl).kind) {
        case Kind::List: {
            if (value.empty())
                break; // no selection
            const auto items = listItems(*ctl, flags);
            const auto it = std::find(items.begin(), items.end(), value);
            if (it == items.end())
                return refuse(number, name + ": '" + text::quoted(value) + "' is not one of " +
                                          joined(items));
            v.index = static_cast<int>(it - items.begin());
            break;
        }
        case Kind::Check:
        case Kind::Radio:
            if (value != "on" && value != "off")
                return refuse(number,
                              name + ": '" + text::quoted(value) + "' is neither on nor off");
            v.checked = value == "on";
            break;
        default:
            if (const auto why = values::textRefused(*ctl, value))
                return refuse(number, name + ": " + *why);
            v.text = value;
        }
    }
    std::string missing;
    const auto lack = [&](Ctl c) {
        if (p.lines[static_cast<std::size_t>(c)] == 0)
            missing += (missing.empty() ? "" : ", ") + std::string(controls::info(c).name);
    };
    if (need == Need::Network) {
        for (const Ctl c : kNetworkControls)
            lack(c);
    } else {
        for (const auto& row : controls::kCatalogue)
            lack(row.id);
    }
    if (!missing.empty())
        return refuse(0, "no value for " + missing);
    return p;
}

std::string refusedText(const controls::ConfigView& view) {
    for (const auto& row : controls::kCatalogue) {
        if (row.kind != Kind::Edit && row.kind != Kind::Caption)
            continue;
        if (const auto why = values::textRefused(row.id, view.text(row.id)))
            return std::string(row.name) + ": " + *why;
    }
    return {};
}

save::SaveState saveState(const controls::ConfigView& view, const variant::BoardFlags& flags) {
    save::SaveState s;
    s.streamingOn = view.checked(Ctl::AutStart);
    if (const auto letter = mappings::kStreamModes.code(view.text(Ctl::PARTP)))
        s.streamModeLetter = std::string(1, *letter);
    s.rateMode11 = save::rateMode(view.checked(Ctl::VBR11B)).mode;
    s.rateMode12 = save::rateMode(view.checked(Ctl::VBR12B)).mode;
    s.board = flags;
    return s;
}

controls::Applied toControls(const controls::ConfigView& view, const variant::BoardFlags& flags) {
    using controls::Action;
    controls::Applied out;
    auto& a = out.actions;
    const std::string& caption = view.text(Ctl::PARTP);
    a.push_back(Action::setCaption(Ctl::PARTP, caption));
    if (const auto letter = mappings::kStreamModes.code(caption))
        a.push_back(Action::state(Action::Op::StreamMode, std::string(1, *letter)));
    for (const auto& [list, channel] : {std::pair{Ctl::S1I, variant::Channel::Ch11},
                                        std::pair{Ctl::S2I, variant::Channel::Ch12}}) {
        a.push_back(Action::select(list, view.index(list)));
        if (flags.fullBoard) {
            const auto effect =
                inputs::selectInput(flags, channel, valueText(view, list, flags), -1, -1);
            a.push_back(Action::moduleFlags(channel, effect.modules));
        }
    }
    for (const auto& row : controls::kCatalogue) {
        switch (row.id) {
        case Ctl::PARTP:
        case Ctl::S1I:
        case Ctl::S2I:
        case Ctl::UDPCheck:
        case Ctl::RS232Check:
            continue;
        default:
            break;
        }
        switch (row.kind) {
        case Kind::List:
            a.push_back(Action::select(row.id, view.index(row.id)));
            break;
        case Kind::Check:
            a.push_back(Action::setChecked(row.id, view.checked(row.id)));
            break;
        case Kind::Radio:
            if (view.checked(row.id))
                a.push_back(Action::setChecked(row.id, true));
            break;
        case Kind::Caption:
            a.push_back(Action::setCaption(row.id, view.text(row.id)));
            break;
        default:
            a.push_back(Action::setText(row.id, view.text(row.id)));
        }
    }
    return out;
}

int refusedLine(const std::string& message, const Parsed& parsed) {
    const auto lineOf = [&parsed](Ctl c) { return parsed.lines[static_cast<std::size_t>(c)]; };
    if (message == save::wrongFpsMessage(frames::Stream::S11))
        return lineOf(Ctl::fps1);
    if (message == save::wrongFpsMessage(frames::Stream::S12))
        return lineOf(Ctl::fps2);
    // A blank the board needs is named by its box's label.
    for (const auto& row : controls::kCatalogue)
        if (message.starts_with(std::string(controls::label(row.id)) + " is empty"))
            return lineOf(row.id);
    const std::size_t open = message.find('\'');
    const std::size_t close =
        open == std::string::npos ? std::string::npos : message.find('\'', open + 1);
    if (close == std::string::npos)
        return 0;
    const std::string quoted = message.substr(open + 1, close - open - 1);
    int best = 0;
    for (const auto& row : controls::kCatalogue) {
        const int line = lineOf(row.id);
        if (line != 0 && text::quoted(parsed.view.text(row.id)) == quoted &&
            (best == 0 || line < best))
            best = line;
    }
    return best;
}

} // namespace corvane::configtext
