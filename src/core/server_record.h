// The server configuration file ("rtspserver.dat"): one record of 341 bytes that carries the
// board's streaming settings, with no header, version or checksum.
//
// Integers are 32-bit signed, lowest byte first; single bytes are unsigned; text fields are
// fixed-width byte arrays (zero-filled behind the text, no terminating zero when the text fills
// the field); letter fields hold one ASCII letter. The fields follow each other with no gaps, so
// the integers at 274, 333 and 337 are not aligned. The codec reads and writes each field at its
// offset: every 341 bytes decode to a record that encodes to the same 341 bytes.
//
// The program holds one record for the whole run. Opening a file reads it into the record and
// then shows the record in the windows (recordToControls); updating fills the record from the
// windows (recordFromControls) and writes it; creating a default file stores the factory
// defaults into it and writes it.
#pragma once

#include "core/controls.h"
#include "core/variant.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane::record {

inline constexpr std::size_t kRecordSize = 341;
using RecordBytes = std::array<std::uint8_t, kRecordSize>;

// A text field of N bytes.
template <std::size_t N> using Text = std::array<char, N>;

// The fields by their names in the file, in file order.
struct ServerConfigRecord {
    std::int32_t Input11 = 0; // input code (inputCodeToWrite, readInput)
    std::int32_t Width11 = 0; // picture width in pixels; only the height is read
    std::int32_t Height11 = 0;
    std::int32_t BitRate11 = 0; // kbps
    std::int32_t Gop11 = 0;
    std::int32_t Fps11 = 0;
    std::int32_t Format11 = 0; // 1 H.264, 2 H.265
    std::int32_t Input12 = 0;
    std::int32_t Width12 = 0;
    std::int32_t Height12 = 0;
    std::int32_t BitRate12 = 0;
    std::int32_t Gop12 = 0;
    std::int32_t Fps12 = 0;
    std::int32_t Format12 = 0;
    Text<20> StaticIp{};
    std::int32_t ControlInterface = 0; // 0 UDP, 1 RS232
    std::int32_t AutoStart = 0;        // 2 start streaming automatically, 1 do not
    Text<20> GatewayIp{};
    std::int32_t Audio11 = 0; // 0 off, 1 on
    std::int32_t Audio12 = 0;
    std::int32_t RecWidth11 = 0;
    std::int32_t RecHeight11 = 0;
    std::int32_t RecBitRate11 = 0;
    std::int32_t RecGop11 = 0;
    std::int32_t RecFps11 = 0;
    std::int32_t RecWidth12 = 0;
    std::int32_t RecHeight12 = 0;
    std::int32_t RecBitRate12 = 0;
    std::int32_t RecGop12 = 0;
    std::int32_t RecFps12 = 0;
    std::int32_t RecordSelect = 0;    // 0 none, 1 stream 11, 2 stream 12, 3 both
    Text<4> Mtu{};                    // decimal text
    std::int32_t InputAutoDetect = 0; // 1 on, 2 off
    Text<30> RtpDestIp11{};           // read up to 20 bytes
    Text<30> RtpDestIp12{};
    char RtpSession11 = 0; // 'U' unicast, 'M' multicast
    char RtpSession12 = 0;
    Text<7> RtpPort11{}; // decimal text
    Text<7> RtpPort12{};
    Text<16> RtpMulticastIp11{};
    Text<16> RtpMulticastIp12{};
    char ModeLetter = 0;         // 'R' both RTP streams, 'A' RTP 11, 'B' RTP 12, 'S' RTSP
    char FecEnable = 0;          // 'E' enabled, 'D' disabled
    std::int32_t CameraMode = 0; // 0 neither, 1 fixed, 2 moving
    std::array<std::uint8_t, 2> Reserved{}; // never set by the program
    std::uint8_t FecL = 0;
    std::uint8_t FecD = 0;
    Text<30> UdprsDestIp{};
    char UdprsMode = 0; // 'Y' on, 'N' off
    Text<20> SubnetMask{};
    std::int32_t RateControl11 = 0; // 1 CBR, 2 VBR
    std::int32_t RateControl12 = 0;

    friend bool operator==(const ServerConfigRecord&, const ServerConfigRecord&) = default;
};

// Where each field lies in the file.
namespace layout {
struct Field {
    std::size_t offset;
    std::size_t width;
};
inline constexpr Field Input11{0, 4}, Width11{4, 4}, Height11{8, 4}, BitRate11{12, 4}, Gop11{16, 4},
    Fps11{20, 4}, Format11{24, 4}, Input12{28, 4}, Width12{32, 4}, Height12{36, 4},
    BitRate12{40, 4}, Gop12{44, 4}, Fps12{48, 4}, Format12{52, 4}, StaticIp{56, 20},
    ControlInterface{76, 4}, AutoStart{80, 4}, GatewayIp{84, 20}, Audio11{104, 4}, Audio12{108, 4},
    RecWidth11{112, 4}, RecHeight11{116, 4}, RecBitRate11{120, 4}, RecGop11{124, 4},
    RecFps11{128, 4}, RecWidth12{132, 4}, RecHeight12{136, 4}, RecBitRate12{140, 4},
    RecGop12{144, 4}, RecFps12{148, 4}, RecordSelect{152, 4}, Mtu{156, 4}, InputAutoDetect{160, 4},
    RtpDestIp11{164, 30}, RtpDestIp12{194, 30}, RtpSession11{224, 1}, RtpSession12{225, 1},
    RtpPort11{226, 7}, RtpPort12{233, 7}, RtpMulticastIp11{240, 16}, RtpMulticastIp12{256, 16},
    ModeLetter{272, 1}, FecEnable{273, 1}, CameraMode{274, 4}, Reserved{278, 2}, FecL{280, 1},
    FecD{281, 1}, UdprsDestIp{282, 30}, UdprsMode{312, 1}, SubnetMask{313, 20},
    RateControl11{333, 4}, RateControl12{337, 4};
} // namespace layout

// The width up to which the RTP destination addresses are read into the RTP dialog.
inline constexpr std::size_t kRtpDestIpReadWidth = 20;

RecordBytes encodeRecord(const ServerConfigRecord& record);
ServerConfigRecord decodeRecord(const RecordBytes& bytes);

// The record after reading a file's bytes over `current`: a file shorter than the record replaces
// only as many leading bytes as it holds, the rest keeps its previous contents; bytes after the
// first 341 are ignored.
ServerConfigRecord readRecord(const ServerConfigRecord& current,
                              std::span<const std::uint8_t> file);

// What the operator is told after opening a file of another size than the record, by the file's
// own name: "rtspserver.dat holds 6 bytes, not 341: the values past them were kept." or
// "big.dat holds 400 bytes, not 341: only its first 341 bytes were read."; nothing for 341.
std::optional<std::string> sizeNote(std::string_view fileName, std::uint64_t fileSize);

// A text field's characters up to its first zero byte (all of them when there is none), looking
// at no more than readWidth bytes.
template <std::size_t N> std::string textOf(const Text<N>& field, std::size_t readWidth = N) {
    const std::size_t limit = readWidth < N ? readWidth : N;
    std::size_t n = 0;
    while (n < limit && field[n] != '\0')
        ++n;
    return std::string(field.data(), n);
}

// Stores a text into a field: all zero bytes first, then the text's bytes from the start. A text
// longer than the field is cut at the field's width.
template <std::size_t N> void setText(Text<N>& field, std::string_view text) {
    field.fill('\0');
    for (std::size_t i = 0; i < N && i < text.size(); ++i)
        field[i] = text[i];
}

// The factory defaults stored into the record. FecD, RateControl11, RateControl12 and the reserved
// bytes keep what the record held.
void applyFactoryDefaults(ServerConfigRecord& record);

// ---- Input codes -----------------------------------------------------------------------------
//
// Input11 and Input12 name the stream's selected sensor input by the code the board's
// configuration reply uses: 0 to 9 as their inputs, 23 "Analog PAL BAR", 24 "Analog NTSC BAR",
// 25 "No Sensor", 32 "HD SDI 1080P50". Older files hold 17, 18 and 19 for the bar inputs and
// "No Sensor" and 5 for "HD SDI 1080P50" on the small board's HD SDI module; these are read too.

// The code written for the position selected in a stream's input list (-1: none). The full board's
// nine-item list first; then, on the small board, the list of the channel's module (HD SDI,
// analog, HDMI, tested in this order). Nothing: the field keeps its value (no module, nothing
// selected with the analog or HDMI module, a position outside the list).
std::optional<std::int32_t> inputCodeToWrite(const variant::BoardFlags& flags,
                                             variant::Channel channel, int position);

// What reading a code does to a stream's input list and the channel's module flags.
struct InputRead {
    std::optional<int> select;                   // position to select (-1: none); nothing: left
    std::optional<variant::ModuleFlags> modules; // the channel's flags afterwards; nothing: left
};
// Full board: a code below 4 selects that position (a negative one: nothing) and marks the channel
// HD SDI; any other code marks it analog and selects 4, 5, the bar inputs and "No Sensor" by their
// codes (other codes leave the list). The HDMI flag is left. Then the small board by the channel's
// module: HD SDI takes codes 0 to 5 as positions, "No Sensor" and "HD SDI 1080P50" by their
// codes, and selects nothing for any other code; analog and HDMI select their inputs by code and
// leave the list for other codes. The small board never changes the module flags.
InputRead readInput(const variant::BoardFlags& flags, variant::Channel channel, std::int32_t code);

// ---- The record and the windows --------------------------------------------------------------

// Encode_File: what showing the record does to the three windows, in order. The stream mode letter
// is not changed (only the PARTP caption); AutoStart 2 sets StreamingOn and lights Rec1 green.
controls::Applied recordToControls(const ServerConfigRecord& record,
                                   const variant::BoardFlags& flags);

// The record after Decode_File, or where it stopped.
struct RecordUpdate {
    ServerConfigRecord record; // as far as the update got
    std::string error;         // the operator's message when a number did not convert

    bool ok() const { return error.empty(); }
};

// Decode_File: the record filled from the windows, starting from `current` (fields the windows do
// not determine keep their values). A number edit whose text is not an integer stops the update
// with the operator's message; the fields before it are already in the returned record.
RecordUpdate recordFromControls(const ServerConfigRecord& current, const controls::ConfigView& view,
                                const variant::BoardFlags& flags);

} // namespace corvane::record
