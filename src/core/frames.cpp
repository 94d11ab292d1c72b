#include "core/frames.h"

namespace corvane::frames {

namespace {

constexpr char kStart[] = "A5";
constexpr char kEnd = '\r';

std::string bare(std::string_view code) {
    std::string f = "A502";
    f += code;
    f += kEnd;
    return f;
}

std::string_view pick(Stream s, std::string_view code11, std::string_view code12) {
    return s == Stream::S11 ? code11 : code12;
}

FrameResult noFrame(Problem p) {
    return FrameResult{std::string(), p};
}

int count(std::string_view text) {
    return static_cast<int>(text.size());
}

} // namespace

// ---- Generic rules ---------------------------------------------------------------------------

std::string lengthDigits(int n) {
    if (n < 0 || n > 99)
        return {};
    std::string d(2, '0');
    d[0] = static_cast<char>('0' + n / 10);
    d[1] = static_cast<char>('0' + n % 10);
    return d;
}

FrameResult withLength(int n, std::string_view payload) {
    if (n < 0 || n > 99)
        return noFrame(Problem::TooLong);
    std::string f = kStart;
    f += lengthDigits(n);
    f += payload;
    f += kEnd;
    return FrameResult{std::move(f), Problem::None};
}

FrameResult normal(std::string_view code, std::string_view value) {
    std::string payload(code);
    payload += value;
    if (payload.size() > 99)
        return noFrame(Problem::TooLong);
    return withLength(count(payload), payload);
}

FrameResult prefixed(std::string_view code, std::string_view value, int minChars, int maxChars) {
    if (value.empty())
        return noFrame(Problem::Empty);
    if (count(value) < minChars)
        return noFrame(Problem::TooShort);
    if (count(value) > maxChars)
        return noFrame(Problem::TooLong);
    return normal(code, value);
}

std::string fixedLength(std::string_view digits, std::string_view code, std::string_view value) {
    std::string f = kStart;
    f += digits;
    f += code;
    f += value;
    f += kEnd;
    return f;
}

// ---- Board control ---------------------------------------------------------------------------

std::string exitBoard() {
    return bare("04");
}
std::string startStream() {
    return bare("05");
}
std::string stopStream() {
    return bare("06");
}
std::string configRequest() {
    return bare("08");
}
std::string keepAlive() {
    return bare("24");
}
std::string closeSequence() {
    return bare("25");
}
std::string openRead() {
    return bare("26");
}
std::string createDefault() {
    return bare("30");
}
std::string firmwareVersion() {
    return bare("44");
}
std::string probe() {
    return bare("64");
}
std::string reboot() {
    return bare("75");
}
std::string assemblyDetect() {
    return bare("76");
}
std::string startRtp11() {
    return bare("80");
}
std::string startRtp12() {
    return bare("84");
}
std::string tcprsMode() {
    return bare("85");
}
std::string udprsMode() {
    return bare("90");
}

std::string controlInterface(bool rs232) {
    return fixedLength("03", "35", rs232 ? "1" : "0");
}

// ---- Live stream updates ---------------------------------------------------------------------

std::string resolutionLive(Stream s, int listPosition) {
    const int value = listPosition < 0 ? 0 : listPosition + 1;
    return fixedLength("03", pick(s, "70", "69"), std::to_string(value));
}

FrameResult gopLive(Stream s, std::string_view text) {
    return prefixed(pick(s, "36", "39"), text, 1, 3);
}
FrameResult bitRateLive(Stream s, std::string_view text) {
    return prefixed(pick(s, "37", "40"), text, 1, 5);
}
FrameResult frameRateLive(Stream s, std::string_view text) {
    return prefixed(pick(s, "38", "41"), text, 1, 3);
}

// ---- Whole configuration ---------------------------------------------------------------------

std::string pictureWidth(Stream s, int pixels) {
    return normal(pick(s, "10", "12"), std::to_string(pixels)).bytes;
}
std::string pictureHeight(Stream s, int pixels) {
    return normal(pick(s, "11", "14"), std::to_string(pixels)).bytes;
}

FrameResult gopSave(Stream s, std::string_view text) {
    return prefixed(pick(s, "15", "20"), text, 1, 3);
}
FrameResult bitRateSave(Stream s, std::string_view text) {
    return prefixed(pick(s, "16", "21"), text, 1, 5);
}
FrameResult frameRateSave(Stream s, std::string_view text) {
    return prefixed(pick(s, "17", "22"), text, 1, 3);
}

std::string sensorInput(Stream s, char inputCharacter) {
    return fixedLength("03", pick(s, "27", "28"), std::string_view(&inputCharacter, 1));
}

std::string rateControl(int mode11, int mode12) {
    return fixedLength("04", "29", std::to_string(mode11) + std::to_string(mode12));
}

std::string encoderFormat(Stream s, bool h265) {
    return fixedLength("03", pick(s, "32", "33"), h265 ? "2" : "1");
}

std::string autoStart(bool on) {
    return fixedLength("03", "34", on ? "2" : "1");
}

std::string audio(bool stream11, bool stream12) {
    std::string v;
    v += stream11 ? '1' : '0';
    v += stream12 ? '1' : '0';
    return fixedLength("04", "43", v);
}

FrameResult recordSelection(bool stream11, bool stream12) {
    if (!stream11 && !stream12)
        return noFrame(Problem::Empty);
    const char* v = stream11 && stream12 ? "3" : stream11 ? "1" : "2";
    return FrameResult{fixedLength("03", "45", v), Problem::None};
}

std::string inputAutoDetect(bool on) {
    return fixedLength("03", "73", on ? "1" : "2");
}

std::string streamingMode(std::string_view letter) {
    return fixedLength("03", "81", letter);
}

std::string rtpDestination(Stream s, RtpSession session, std::string_view port,
                           std::string_view multicastIp, std::string_view destinationIp) {
    std::string v;
    v += session == RtpSession::Unicast ? 'U' : 'M';
    v += std::to_string(port.size());
    v += port;
    v += multicastIp;
    v += '$';
    v += destinationIp;
    v += '\0';
    v += " *";
    v += '\0';
    return fixedLength("31", pick(s, "82", "83"), v);
}

std::string udprsFlag(bool on) {
    return fixedLength("03", "92", on ? "Y" : "N");
}

// ---- Recording settings ----------------------------------------------------------------------

std::string recordWidth(Stream s, int pixels) {
    return normal(pick(s, "50", "60"), std::to_string(pixels)).bytes;
}
std::string recordHeight(Stream s, int pixels) {
    return normal(pick(s, "51", "61"), std::to_string(pixels)).bytes;
}

FrameResult recordGop(Stream s, std::string_view text) {
    return prefixed(pick(s, "52", "62"), text, 1, 3);
}
FrameResult recordBitRate(Stream s, std::string_view text) {
    return prefixed(pick(s, "53", "63"), text, 2, 5);
}
FrameResult recordFrameRate(Stream s, std::string_view text) {
    return prefixed(pick(s, "54", "64"), text, 1, 3);
}

std::string recording(bool start) {
    return fixedLength("03", "46", start ? "1" : "2");
}

// ---- Network and FEC -------------------------------------------------------------------------

namespace {

// The length digits of the address commands count the address only.
FrameResult addressFrame(std::string_view code, std::string_view address) {
    if (address.size() > 99)
        return noFrame(Problem::TooLong);
    std::string payload(code);
    payload += address;
    return withLength(count(address), payload);
}

} // namespace

FrameResult staticIp(std::string_view address) {
    return addressFrame("23", address);
}
FrameResult udprsDestination(std::string_view address) {
    return addressFrame("91", address);
}
FrameResult subnetMask(std::string_view address) {
    return addressFrame("93", address);
}

std::string gateway(std::string_view address) {
    return fixedLength("17", "42", address);
}

FrameResult mtu(std::string_view text) {
    return prefixed("72", text, 3, 4);
}

FrameResult fecOn(std::string_view l, std::string_view d) {
    // Counted: "87E" + L + "L" + D + "D"; the six "%" after it are not.
    if (l.size() > 99 || d.size() > 99)
        return noFrame(Problem::TooLong);
    const int n = 5 + count(l) + count(d);
    if (n > 99)
        return noFrame(Problem::TooLong);
    std::string payload = "87E";
    payload += l;
    payload += 'L';
    payload += d;
    payload += 'D';
    payload += "%%%%%%";
    return withLength(n, payload);
}

std::string fecOff() {
    return fixedLength("03", "87", "D");
}

std::string fecErrorOn(std::string_view l) {
    std::string v = "Y";
    v += l;
    return fixedLength("03", "88", v);
}

std::string fecErrorOff() {
    return fixedLength("03", "88", "N");
}

// ---- Camera ----------------------------------------------------------------------------------

std::string cameraType(int type) {
    return fixedLength("03", "86", std::to_string(type));
}

} // namespace corvane::frames
