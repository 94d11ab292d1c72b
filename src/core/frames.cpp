#include "core/frames.h"

#include "core/commands.h"

namespace corvane::frames {

namespace {

constexpr char kStart[] = "A5";
constexpr char kEnd = '\r';

using commands::Cmd;

std::string_view code(Cmd c) {
    return commands::of(c).code;
}

std::string bare(Cmd c) {
    std::string f = "A502";
    f += code(c);
    f += kEnd;
    return f;
}

Cmd pick(Stream s, Cmd stream11, Cmd stream12) {
    return s == Stream::S11 ? stream11 : stream12;
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
    return bare(Cmd::ExitBoard);
}
std::string startStream() {
    return bare(Cmd::StartStream);
}
std::string stopStream() {
    return bare(Cmd::StopStream);
}
std::string configRequest() {
    return bare(Cmd::ConfigRequest);
}
std::string keepAlive() {
    return bare(Cmd::KeepAlive);
}
std::string closeSequence() {
    return bare(Cmd::CloseSequence);
}
std::string openRead() {
    return bare(Cmd::OpenRead);
}
std::string createDefault() {
    return bare(Cmd::CreateDefault);
}
std::string firmwareVersion() {
    return bare(Cmd::FirmwareVersion);
}
std::string probe() {
    return bare(Cmd::Probe);
}
std::string reboot() {
    return bare(Cmd::Reboot);
}
std::string assemblyDetect() {
    return bare(Cmd::AssemblyRequest);
}
std::string startRtp11() {
    return bare(Cmd::StartRtp11);
}
std::string startRtp12() {
    return bare(Cmd::StartRtp12);
}
std::string tcprsMode() {
    return bare(Cmd::TcprsMode);
}
std::string udprsMode() {
    return bare(Cmd::UdprsMode);
}

std::string controlInterface(bool rs232) {
    return fixedLength("03", code(Cmd::ControlInterface), rs232 ? "1" : "0");
}

namespace {

// A value the command takes only at the character counts of its catalogue row.
FrameResult counted(Cmd c, std::string_view value) {
    const commands::Command& command = commands::of(c);
    return prefixed(command.code, value, command.minChars, command.maxChars);
}

} // namespace

// ---- Live stream updates ---------------------------------------------------------------------

std::string resolutionLive(Stream s, int listPosition) {
    const int value = listPosition < 0 ? 0 : listPosition + 1;
    return fixedLength("03", code(pick(s, Cmd::ResolutionLive11, Cmd::ResolutionLive12)),
                       std::to_string(value));
}

FrameResult gopLive(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::GopLive11, Cmd::GopLive12), text);
}
FrameResult bitRateLive(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::BitRateLive11, Cmd::BitRateLive12), text);
}
FrameResult frameRateLive(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::FpsLive11, Cmd::FpsLive12), text);
}

// ---- Whole configuration ---------------------------------------------------------------------

std::string pictureWidth(Stream s, int pixels) {
    return normal(code(pick(s, Cmd::Width11, Cmd::Width12)), std::to_string(pixels)).bytes;
}
std::string pictureHeight(Stream s, int pixels) {
    return normal(code(pick(s, Cmd::Height11, Cmd::Height12)), std::to_string(pixels)).bytes;
}

FrameResult gopSave(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::Gop11, Cmd::Gop12), text);
}
FrameResult bitRateSave(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::BitRate11, Cmd::BitRate12), text);
}
FrameResult frameRateSave(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::Fps11, Cmd::Fps12), text);
}

std::string sensorInput(Stream s, char inputCharacter) {
    return fixedLength("03", code(pick(s, Cmd::Input11, Cmd::Input12)),
                       std::string_view(&inputCharacter, 1));
}

std::string rateControl(int mode11, int mode12) {
    return fixedLength("04", code(Cmd::RateControl),
                       std::to_string(mode11) + std::to_string(mode12));
}

std::string encoderFormat(Stream s, bool h265) {
    return fixedLength("03", code(pick(s, Cmd::Format11, Cmd::Format12)), h265 ? "2" : "1");
}

std::string autoStart(bool on) {
    return fixedLength("03", code(Cmd::AutoStart), std::to_string(*mappings::kAutoStart.code(on)));
}

std::string audio(bool stream11, bool stream12) {
    std::string v;
    v += stream11 ? '1' : '0';
    v += stream12 ? '1' : '0';
    return fixedLength("04", code(Cmd::Audio), v);
}

FrameResult recordSelection(bool stream11, bool stream12) {
    const auto selection = mappings::kRecordSelections.code(mappings::Recorded{stream11, stream12});
    if (!selection)
        return noFrame(Problem::Empty);
    return FrameResult{fixedLength("03", code(Cmd::RecordSelection), std::to_string(*selection)),
                       Problem::None};
}

std::string inputAutoDetect(bool on) {
    return fixedLength("03", code(Cmd::InputAutoDetect),
                       std::to_string(*mappings::kAutoDetection.code(mappings::autoDetection(on))));
}

std::string streamingMode(std::string_view letter) {
    return fixedLength("03", code(Cmd::StreamingMode), letter);
}

std::string rtpDestination(Stream s, RtpSession session, std::string_view port,
                           std::string_view multicastIp, std::string_view destinationIp) {
    std::string v;
    v += *mappings::kRtpSessions.code(session);
    v += std::to_string(port.size());
    v += port;
    v += multicastIp;
    v += '$';
    v += destinationIp;
    v += '\0';
    v += " *";
    v += '\0';
    return fixedLength("31", code(pick(s, Cmd::RtpDestination11, Cmd::RtpDestination12)), v);
}

std::string udprsFlag(bool on) {
    return fixedLength("03", code(Cmd::UdprsFlag), std::string(1, *mappings::kUdprs.code(on)));
}

// ---- Recording settings ----------------------------------------------------------------------

std::string recordWidth(Stream s, int pixels) {
    return normal(code(pick(s, Cmd::RecWidth11, Cmd::RecWidth12)), std::to_string(pixels)).bytes;
}
std::string recordHeight(Stream s, int pixels) {
    return normal(code(pick(s, Cmd::RecHeight11, Cmd::RecHeight12)), std::to_string(pixels)).bytes;
}

FrameResult recordGop(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::RecGop11, Cmd::RecGop12), text);
}
FrameResult recordBitRate(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::RecBitRate11, Cmd::RecBitRate12), text);
}
FrameResult recordFrameRate(Stream s, std::string_view text) {
    return counted(pick(s, Cmd::RecFps11, Cmd::RecFps12), text);
}

std::string recording(bool start) {
    return fixedLength("03", code(Cmd::Recording), start ? "1" : "2");
}

// ---- Network and FEC -------------------------------------------------------------------------

namespace {

// The length digits of the address commands count the address only.
FrameResult addressFrame(Cmd c, std::string_view address) {
    if (address.size() > 99)
        return noFrame(Problem::TooLong);
    std::string payload(code(c));
    payload += address;
    return withLength(count(address), payload);
}

} // namespace

FrameResult staticIp(std::string_view address) {
    return addressFrame(Cmd::StaticIp, address);
}
FrameResult udprsDestination(std::string_view address) {
    return addressFrame(Cmd::UdprsDestination, address);
}
FrameResult subnetMask(std::string_view address) {
    return addressFrame(Cmd::SubnetMask, address);
}

std::string gateway(std::string_view address) {
    return fixedLength("17", code(Cmd::Gateway), address);
}

FrameResult mtu(std::string_view text) {
    return counted(Cmd::Mtu, text);
}

FrameResult fecOn(std::string_view l, std::string_view d) {
    // Counted: "87E" + L + "L" + D + "D"; the six "%" after it are not.
    if (l.size() > 99 || d.size() > 99)
        return noFrame(Problem::TooLong);
    const int n = 5 + count(l) + count(d);
    if (n > 99)
        return noFrame(Problem::TooLong);
    std::string payload(code(Cmd::Fec));
    payload += *mappings::kFec.code(true);
    payload += l;
    payload += 'L';
    payload += d;
    payload += 'D';
    payload += "%%%%%%";
    return withLength(n, payload);
}

std::string fecOff() {
    return fixedLength("03", code(Cmd::Fec), std::string(1, *mappings::kFec.code(false)));
}

std::string fecErrorOn(std::string_view l) {
    std::string v = "Y";
    v += l;
    return fixedLength("03", code(Cmd::FecError), v);
}

std::string fecErrorOff() {
    return fixedLength("03", code(Cmd::FecError), "N");
}

// ---- Camera ----------------------------------------------------------------------------------

std::string cameraType(int type) {
    return fixedLength("03", code(Cmd::CameraType), std::to_string(type));
}

} // namespace corvane::frames
