// Command frames sent to the board.
//
// A frame is "A5" + two length digits + a two-digit command code + value + CR, every character one
// byte (never UTF-8). The only non-printing characters ever produced are CR and, inside the RTP
// destination frames, the character with code 0.
//
// Length digits: normally the payload length (code + value), written "A50" + one digit below ten
// and "A5" + the number from ten on. Several commands deviate, and each builder below writes
// exactly the digits the board expects for its command.
//
// Builders come in two kinds:
//  - Builders that cannot fail return the frame as std::string.
//  - Builders whose value text comes from the operator return a FrameResult. When the value's
//    character count is not accepted, or the length would need three digits, no frame is built:
//    FrameResult::bytes is empty and FrameResult::problem says why. A window that must still call
//    its send path "with an empty text" can pass `bytes` unconditionally.
//
// Value texts are taken exactly as typed: nothing trimmed or added, no check that they are numbers.
#pragma once

#include "core/mappings.h"

#include <string>
#include <string_view>

namespace corvane::frames {

// Why no frame was built.
enum class Problem {
    None,     // a frame was built
    Empty,    // the value text is empty (or, for a selection, nothing is selected)
    TooShort, // the value has fewer characters than the smallest accepted count
    TooLong,  // the value has more characters than the largest accepted count, or the length
              // digits would reach 100 or more
};

struct FrameResult {
    std::string bytes; // the complete frame including CR; empty when problem != None
    Problem problem = Problem::None;

    bool ok() const { return problem == Problem::None; }
    explicit operator bool() const { return ok(); }
};

enum class Stream { S11, S12 };
using RtpSession = mappings::RtpSession;

// ---- Generic rules ---------------------------------------------------------------------------

// The two length digits for n (0..99): "00".."09", "10".."99". n outside 0..99 gives "".
std::string lengthDigits(int n);

// "A5" + lengthDigits(n) + payload + CR, with n given by the caller. TooLong when n >= 100 or
// n < 0 (never built).
FrameResult withLength(int n, std::string_view payload);

// Normal rule: the length digits count the whole payload (code + value).
FrameResult normal(std::string_view code, std::string_view value);

// Ready-made prefixes: the value must have minChars..maxChars characters; the length digits are
// 2 + count. Empty, TooShort or TooLong otherwise.
FrameResult prefixed(std::string_view code, std::string_view value, int minChars, int maxChars);

// Fixed length digits, whatever the value: "A5" + digits + code + value + CR.
std::string fixedLength(std::string_view digits, std::string_view code, std::string_view value);

// ---- Board control (no value) ----------------------------------------------------------------

std::string exitBoard();       // "A50204"
std::string startStream();     // "A50205"
std::string stopStream();      // "A50206"
std::string configRequest();   // "A50208", answered by the configuration reply frame
std::string keepAlive();       // "A50224", answered by the auto-detection reply
std::string closeSequence();   // "A50225", last command of both save sequences
std::string openRead();        // "A50226", first command of the read sequence
std::string createDefault();   // "A50230"
std::string firmwareVersion(); // "A50244"
std::string probe();           // "A50264", answered by a text containing "B74D"
std::string reboot();          // "A50275"
std::string assemblyDetect();  // "A50276", answered by the assembly reply
std::string startRtp11();      // "A50280"
std::string startRtp12();      // "A50284"
std::string tcprsMode();       // "A50285"
std::string udprsMode();       // "A50290"

// "A50335" + "1" (board listens on RS232) or "0" (on UDP).
std::string controlInterface(bool rs232);

// ---- Live stream updates (the "Update" buttons) ----------------------------------------------

// Resolution: "A503" + "70" (stream 11) / "69" (stream 12) + decimal(listPosition + 1); the length
// digits are always "03". No selection (-1) gives the value 0.
std::string resolutionLive(Stream s, int listPosition);

FrameResult gopLive(Stream s, std::string_view text);       // 36 / 39, 1-3 characters
FrameResult bitRateLive(Stream s, std::string_view text);   // 37 / 40, 1-5 characters
FrameResult frameRateLive(Stream s, std::string_view text); // 38 / 41, 1-3 characters

// ---- Whole configuration ("Save Config.") ----------------------------------------------------

std::string pictureWidth(Stream s, int pixels);  // 10 / 12, normal rule
std::string pictureHeight(Stream s, int pixels); // 11 / 14, normal rule (there is no code 13)

FrameResult gopSave(Stream s, std::string_view text);       // 15 / 20, 1-3 characters
FrameResult bitRateSave(Stream s, std::string_view text);   // 16 / 21, 1-5 characters
FrameResult frameRateSave(Stream s, std::string_view text); // 17 / 22, 1-3 characters

// "A503" + "27" (sensor 1) / "28" (sensor 2) + the input character ("0".."9", "A".."D").
std::string sensorInput(Stream s, char inputCharacter);

// "A50429" + decimal(mode11) + decimal(mode12); 1 CBR, 2 VBR.
std::string rateControl(int mode11, int mode12);

std::string encoderFormat(Stream s, bool h265);  // "A50332"/"A50333" + "1" H.264 or "2" H.265
std::string autoStart(bool on);                  // "A503342" when on, "A503341" when off
std::string audio(bool stream11, bool stream12); // "A50443" + "1"/"0" + "1"/"0"

// Recording selection: "A503451" stream 11, "A503452" stream 12, "A503453" both; Empty when
// neither is chosen.
FrameResult recordSelection(bool stream11, bool stream12);

std::string inputAutoDetect(bool on); // "A503731" on, "A503732" off

// "A50381" + StreamModeLetter unchanged ("S", "A", "B", "R"); the length digits are always "03".
std::string streamingMode(std::string_view letter);

// RTP destination, "A531" + "82" (stream 11) / "83" (stream 12) + "U"/"M" + decimal count of the
// port's characters + port + multicast IP + "$" + destination IP + char 0 + " *" + char 0 + CR.
// The length digits are always "31".
std::string rtpDestination(Stream s, RtpSession session, std::string_view port,
                           std::string_view multicastIp, std::string_view destinationIp);

std::string udprsFlag(bool on); // "A50392Y" / "A50392N"

// ---- Recording settings ----------------------------------------------------------------------

std::string recordWidth(Stream s, int pixels);  // 50 / 60, normal rule
std::string recordHeight(Stream s, int pixels); // 51 / 61, normal rule

FrameResult recordGop(Stream s, std::string_view text);       // 52 / 62, 1-3 characters
FrameResult recordBitRate(Stream s, std::string_view text);   // 53 / 63, 2-5 characters
FrameResult recordFrameRate(Stream s, std::string_view text); // 54 / 64, 1-3 characters

std::string recording(bool start); // "A503461" start, "A503462" stop

// ---- Network and FEC -------------------------------------------------------------------------

// Addresses: the length digits count the address only (not the code). TooLong from 100
// characters on. An empty address is sent as "A50023" + CR (length 0).
FrameResult staticIp(std::string_view address);         // 23
FrameResult udprsDestination(std::string_view address); // 91
FrameResult subnetMask(std::string_view address);       // 93

// Gateway: "A51742" + address; the length digits are always "17".
std::string gateway(std::string_view address);

// MTU: 3 or 4 characters ("A50572..." / "A50672..."), Empty/TooShort/TooLong otherwise. Clamping
// to 1500 is the caller's job (it writes the clamped text back into the edit).
FrameResult mtu(std::string_view text);

// FEC on: "A5" + n + "87E" + L + "L" + D + "D" + "%%%%%%", n = 5 + len(L) + len(D) (the six "%"
// are not counted). Empty L and D are allowed. TooLong when n would reach 100.
FrameResult fecOn(std::string_view l, std::string_view d);
std::string fecOff(); // "A50387D"

// FEC error insertion on: "A50388Y" + L; the length digits are always "03".
std::string fecErrorOn(std::string_view l);
std::string fecErrorOff(); // "A50388N"

// ---- Camera ----------------------------------------------------------------------------------

// "A50386" + "0" none, "1" fixed, "2" moving (decimal of type).
std::string cameraType(int type);

} // namespace corvane::frames
