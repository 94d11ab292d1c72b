#include "core/settings.h"

#include "core/text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

namespace corvane::settings {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (text::lower(a[i]) != text::lower(b[i]))
            return false;
    return true;
}

std::string_view trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string withoutLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

// Position of text in the list (case ignored), or -1.
template <std::size_t N>
int indexOf(const std::array<std::string_view, N>& list, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i)
        if (equalsNoCase(list[i], text))
            return int(i);
    return -1;
}

template <std::size_t N, typename E>
std::string_view textAt(const std::array<std::string_view, N>& list, E v) {
    auto i = std::size_t(v);
    return i < N ? list[i] : std::string_view{};
}

// The value whose text matches (case ignored), or the fallback when none does.
template <typename E, std::size_t N>
E fromText(const std::array<std::string_view, N>& list, std::string_view text, E fallback) {
    const int i = indexOf(list, text);
    return i < 0 ? fallback : E(i);
}

constexpr std::array<int, 16> kBaudValues{0,     110,    300,    600,   1200,  2400,
                                          4800,  9600,   14400,  19200, 38400, 56000,
                                          57600, 115200, 128000, 256000};

// A positive decimal integer that fits an int, or 0.
int positiveDecimal(std::string_view s) {
    if (s.empty())
        return 0;
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || end != s.data() + s.size() || v <= 0)
        return 0;
    return v;
}

} // namespace

// ---- Serial settings -------------------------------------------------------------------------

std::string_view toText(BaudRate v) {
    return textAt(kBaudRateTexts, v);
}
std::string_view toText(DataBits v) {
    return textAt(kDataBitsTexts, v);
}
std::string_view toText(StopBits v) {
    return textAt(kStopBitsTexts, v);
}
std::string_view toText(Parity v) {
    return textAt(kParityTexts, v);
}
std::string_view toText(FlowControl v) {
    return textAt(kFlowControlTexts, v);
}

BaudRate baudRateFromText(std::string_view text) {
    return fromText(kBaudRateTexts, text, BaudRate::B9600);
}
DataBits dataBitsFromText(std::string_view text) {
    return fromText(kDataBitsTexts, text, DataBits::Eight);
}
StopBits stopBitsFromText(std::string_view text) {
    return fromText(kStopBitsTexts, text, StopBits::One);
}
Parity parityFromText(std::string_view text) {
    return fromText(kParityTexts, text, Parity::None);
}
FlowControl flowControlFromText(std::string_view text) {
    return fromText(kFlowControlTexts, text, FlowControl::Custom);
}

int baudValue(const SerialSettings& s) {
    if (s.baudRate == BaudRate::Custom)
        return s.customBaud;
    auto i = std::size_t(s.baudRate);
    return i < kBaudValues.size() ? kBaudValues[i] : 0;
}

int dataBitsValue(DataBits v) {
    return 5 + int(v);
}

FlowControl flowControlOf(const FlowSettings& f) {
    if (f == FlowSettings{RtsControl::Handshake, true, false, false})
        return FlowControl::Hardware;
    if (f == FlowSettings{RtsControl::Disable, false, true, true})
        return FlowControl::Software;
    if (f == FlowSettings{})
        return FlowControl::None;
    return FlowControl::Custom;
}

void applyFlowControl(FlowSettings& f, FlowControl fc) {
    switch (fc) {
    case FlowControl::Hardware:
        f = {RtsControl::Handshake, true, false, false};
        break;
    case FlowControl::Software:
        f = {RtsControl::Disable, false, true, true};
        break;
    case FlowControl::None:
        f = {};
        break;
    case FlowControl::Custom:
        break;
    }
}

std::string statusText(const SerialSettings& s) {
    static constexpr std::array<char, 5> parityLetters{'N', 'O', 'E', 'M', 'S'};
    std::string out = "RS232 Connected to :";
    out += s.portName;
    out += "  ";
    out += s.baudRate == BaudRate::Custom ? std::string("Brc") : std::string(toText(s.baudRate));
    out += ',';
    out += toText(s.dataBits);
    out += ',';
    auto p = std::size_t(s.parity);
    if (p < parityLetters.size())
        out += parityLetters[p];
    out += ',';
    out += toText(s.stopBits);
    return out;
}

// ---- Lines -----------------------------------------------------------------------------------

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

// ---- INI text --------------------------------------------------------------------------------

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument doc;
    for (auto& raw : splitLines(text)) {
        Line line;
        line.raw = raw;
        std::string_view t = trim(raw);
        if (!t.empty() && t.front() == '[') {
            auto close = t.find(']');
            if (close != std::string_view::npos) {
                line.kind = Line::Section;
                line.name = std::string(trim(t.substr(1, close - 1)));
            }
        } else if (!t.empty() && t.front() != ';' && t.front() != '#') {
            auto eq = t.find('=');
            if (eq != std::string_view::npos && !trim(t.substr(0, eq)).empty()) {
                line.kind = Line::Key;
                line.name = std::string(trim(t.substr(0, eq)));
                line.value = std::string(trim(t.substr(eq + 1)));
            }
        }
        doc.lines_.push_back(std::move(line));
    }
    return doc;
}

int IniDocument::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Line::Section && equalsNoCase(lines_[i].name, section))
            return int(i);
    return -1;
}

int IniDocument::sectionEnd(int h) const {
    int i = h + 1;
    while (i < int(lines_.size()) && lines_[std::size_t(i)].kind != Line::Section)
        ++i;
    return i;
}

int IniDocument::findKey(int h, std::string_view key) const {
    int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        const Line& l = lines_[std::size_t(i)];
        if (l.kind == Line::Key && equalsNoCase(l.name, key))
            return i;
    }
    return -1;
}

bool IniDocument::has(std::string_view section, std::string_view key) const {
    int h = findSection(section);
    return h >= 0 && findKey(h, key) >= 0;
}

std::string IniDocument::value(std::string_view section, std::string_view key) const {
    int h = findSection(section);
    if (h < 0)
        return {};
    int k = findKey(h, key);
    return k < 0 ? std::string{} : lines_[std::size_t(k)].value;
}

std::vector<std::string> IniDocument::sections() const {
    std::vector<std::string> out;
    for (const Line& l : lines_) {
        if (l.kind != Line::Section)
            continue;
        bool seen = std::any_of(out.begin(), out.end(),
                                [&](const std::string& s) { return equalsNoCase(s, l.name); });
        if (!seen)
            out.push_back(l.name);
    }
    return out;
}

std::vector<std::string> IniDocument::keys(std::string_view section) const {
    std::vector<std::string> out;
    int h = findSection(section);
    if (h < 0)
        return out;
    int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        const Line& l = lines_[std::size_t(i)];
        if (l.kind == Line::Key)
            out.push_back(l.name);
    }
    return out;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    std::string k = withoutLineBreaks(trim(key));
    std::string v = withoutLineBreaks(value);
    Line line;
    line.kind = Line::Key;
    line.name = k;
    line.value = v;
    line.raw = k + "=" + v;

    int h = findSection(section);
    if (h < 0) {
        Line header;
        header.kind = Line::Section;
        header.name = withoutLineBreaks(section);
        header.raw = "[" + header.name + "]";
        lines_.push_back(std::move(header));
        lines_.push_back(std::move(line));
        return;
    }
    int existing = findKey(h, k);
    if (existing >= 0) {
        lines_[std::size_t(existing)] = std::move(line);
        return;
    }
    // After the last key line of the section, or right after its header.
    int at = h + 1;
    int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i)
        if (lines_[std::size_t(i)].kind == Line::Key)
            at = i + 1;
    lines_.insert(lines_.begin() + at, std::move(line));
}

std::string IniDocument::toText() const {
    std::string out;
    for (const Line& l : lines_) {
        out += l.raw;
        out += "\r\n";
    }
    return out;
}

// ---- conf.ini --------------------------------------------------------------------------------

void applyConfIni(std::string_view fileText, SerialSettings& s) {
    IniDocument doc = IniDocument::parse(fileText);
    auto has = [&](std::string_view key) { return doc.has(kConfSection, key); };
    auto get = [&](std::string_view key) { return doc.value(kConfSection, key); };

    if (has("Port"))
        s.portName = get("Port");
    if (has("BaudRate")) {
        s.baudRate = baudRateFromText(get("BaudRate"));
        if (s.baudRate == BaudRate::Custom) {
            int custom = positiveDecimal(get("CustomBaudRate"));
            s.customBaud = custom > 0 ? custom : 9600;
        }
    }
    if (has("StopBits"))
        s.stopBits = stopBitsFromText(get("StopBits"));
    if (has("DataBits"))
        s.dataBits = dataBitsFromText(get("DataBits"));
    if (has("Parity"))
        s.parity = parityFromText(get("Parity"));
    if (has("FlowControl"))
        applyFlowControl(s.flow, flowControlFromText(get("FlowControl")));
}

std::string writeConfIni(std::string_view existingText, const SerialSettings& s) {
    IniDocument doc = IniDocument::parse(existingText);
    doc.set(kConfSection, "Port", s.portName);
    doc.set(kConfSection, "BaudRate", toText(s.baudRate));
    if (s.baudRate == BaudRate::Custom)
        doc.set(kConfSection, "CustomBaudRate", std::to_string(s.customBaud));
    doc.set(kConfSection, "StopBits", toText(s.stopBits));
    doc.set(kConfSection, "DataBits", toText(s.dataBits));
    doc.set(kConfSection, "Parity", toText(s.parity));
    doc.set(kConfSection, "FlowControl", toText(flowControlOf(s.flow)));
    return doc.toText();
}

// ---- udpf.ini --------------------------------------------------------------------------------

UdpSettings parseUdpIni(std::string_view fileText) {
    auto lines = splitLines(fileText);
    auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string{}; };
    return {line(0), line(1), line(2)};
}

std::string writeUdpIni(const UdpSettings& u) {
    return withoutLineBreaks(u.myIp) + "\r\n" + withoutLineBreaks(u.boardIp) + "\r\n" +
           withoutLineBreaks(u.sourcePort) + "\r\n";
}

UdpEndpoint parseEndpoint(const UdpEndpointTexts& texts) {
    UdpEndpoint out{texts.myIp, texts.boardIp, 0, 0, {}};
    for (auto [text, port] : {std::pair{&texts.sourcePort, &out.sourcePort},
                              std::pair{&texts.boardPort, &out.boardPort}}) {
        const auto value = corvane::text::toInteger(*text);
        if (!value.ok()) {
            out.error = value.error;
            return out;
        }
        if (value.value < 0 || value.value > 65535) {
            out.error = "'" + *text + "' is not a valid port";
            return out;
        }
        *port = value.value;
    }
    return out;
}

} // namespace corvane::settings
