// Sensor inputs: native frame rate, module kind and resolution floor of each input, and what
// picking an input or a resolution does to the stream's fields.
//
// A resolution floor is the smallest list position a resolution list may show for the selected
// input, so that the stream is never larger than the input picture. Applying a floor raises a
// selection below it (no selection counts as below) and never lowers one. Only positions are
// compared: "704 x 576" and "448 x 336" (positions 7, 8) pass every floor.
#pragma once

#include "core/controls.h"
#include "core/variant.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::inputs {

// One resolution: its item text and picture size.
struct Resolution {
    std::string_view text;
    int width;
    int height;
};

// Res1/Res2 by position; RecRes1/RecRes2 hold the first six.
inline constexpr std::array<Resolution, 9> kResolutions{{{"1920 x 1080", 1920, 1080},
                                                         {"1280 x 720", 1280, 720},
                                                         {"720 x 576", 720, 576},
                                                         {"720 x 500", 720, 500},
                                                         {"640 x 480", 640, 480},
                                                         {"320 x 240", 320, 240},
                                                         {"192 x 144", 192, 144},
                                                         {"704 x 576", 704, 576},
                                                         {"448 x 336", 448, 336}}};
inline constexpr int kRecResolutionCount = 6;

// Floors: 1 "1280 x 720" (720p inputs), 2 "720 x 576" (PAL), 3 "720 x 500" (NTSC).
inline constexpr int kNoFloor = 0;

// The selection after applying the floor: floor when selected is below it (also for -1, no
// selection), otherwise selected. kNoFloor (or less) leaves every selection.
int applyFloor(int selected, int floor);

enum class InputKind { Sdi, Analog, Hdmi, NoSensor };

struct InputRow {
    std::string_view item; // the item text of S1I/S2I
    InputKind kind;
    std::string_view fps; // native frame rate pre-filled on selection; empty: none
    int floor;            // kNoFloor or 1..3
    int code;             // the input code of the configuration reply and the server record
    char inputChar;       // the input character of the input commands on the small board; the
                          // full board's save gives it by list position instead (position, or
                          // position + 4 above 5), which is the board's rule and differs for the
                          // design-time list's HDMI items

    int fpsLimit; // the highest frame rate the save and Ufps1/Ufps2 accept; 0: no limit
};

// Every input any list can show.
inline constexpr std::array<InputRow, 14> kInputs{{
    {"HD SDI 1080P60", InputKind::Sdi, "60", kNoFloor, 0, '0', 60},
    {"HD SDI 1080P30", InputKind::Sdi, "30", kNoFloor, 1, '1', 30},
    {"HD SDI 720P60", InputKind::Sdi, "60", 1, 2, '2', 60},
    {"HD SDI 720P30", InputKind::Sdi, "30", 1, 3, '3', 30},
    {"HD SDI 1080P50", InputKind::Sdi, "50", kNoFloor, 32, 'D', 0},
    {"Analog PAL 576P50", InputKind::Analog, "50", 2, 4, '4', 50},
    {"Analog NTSC 480P60", InputKind::Analog, "60", 3, 5, '5', 60},
    {"Analog PAL BAR", InputKind::Analog, "50", 2, 23, 'A', 50},
    {"Analog NTSC BAR", InputKind::Analog, "60", 3, 24, 'B', 60},
    {"HDMI 1080P60", InputKind::Hdmi, "60", kNoFloor, 6, '6', 60},
    {"HDMI 1080P30", InputKind::Hdmi, "30", kNoFloor, 7, '7', 30},
    {"HDMI 720P60", InputKind::Hdmi, "60", 1, 8, '8', 60},
    {"HDMI 720P30", InputKind::Hdmi, "30", 1, 9, '9', 30},
    {"No Sensor", InputKind::NoSensor, "", kNoFloor, 25, 'C', 0},
}};

// The row of an input code, or nullptr.
const InputRow* inputByCode(int code);

// The row of an item text (exact), or nullptr (also for "", no selection).
const InputRow* inputRow(std::string_view item);

// ---- Input codes of the configuration reply and the server configuration file ---------------

// The position of the input with this code in a list of item texts, or nothing.
std::optional<int> positionOfCode(const std::vector<std::string>& list, int code);

// What an input code does to one stream on the full board.
struct FullBoardInput {
    std::optional<int> select;    // the list's new selection (-1: none); empty: unchanged
    variant::ModuleFlags modules; // the channel's module flags afterwards
};

// Codes below 4 are the HD SDI inputs at their own positions (a negative code clears the
// selection) and set the channel's HD SDI flag, clearing the analog one; any other code selects
// its input when the full list holds it and sets the analog flag, clearing the HD SDI one. The
// HDMI flag is left as it is.
FullBoardInput fullBoardInput(int code, variant::ModuleFlags modules);

// The selection an input code gives a small-board channel with module m. The HD SDI list is also
// addressed by position (codes from 0 up to its length name the item there), and a code it does
// not hold clears the selection (-1). The analog and HDMI lists select the input with the code;
// a code they do not hold changes nothing, as does any code with no module.
std::optional<int> modulePosition(variant::Module m, int code);

// The floor that the selected input of a stream sets, by the board's flags:
//  full board: the input's floor;
//  small board: the input's floor when the stream's channel has a module (none: no floor).
// "No Sensor", "HD SDI 1080P50", an unknown text or no selection: kNoFloor.
int inputFloor(const variant::BoardFlags& flags, variant::Channel channel, std::string_view item);

// Res1Change/Res2Change and RecRes1Change/RecRes2Change: the list's selection after the operator
// picked `picked`, with the floor of the stream's selected input.
int pickResolution(const variant::BoardFlags& flags, variant::Channel channel,
                   std::string_view selectedInput, int picked);

// What S1IChange/S2IChange do to one stream.
struct InputEffect {
    std::optional<std::string> fps; // written to fps1 then Recfps1 (fps2, Recfps2); empty: none
    int res;                        // new selection of Res1/Res2
    int recRes;                     // new selection of RecRes1/RecRes2
    variant::ModuleFlags modules;   // the channel's module flags afterwards

    friend bool operator==(const InputEffect&, const InputEffect&) = default;
};

// Picking the input `item` (its text; "" when nothing is selected) on a stream whose resolution
// lists show res and recRes (-1: nothing).
//  Full board: an SDI input sets sdi and clears analog, an analog input the reverse; an HDMI
//   input (design-time list) leaves the flags; then the frame rate and the floor on Res, RecRes.
//  Small board, when the channel has a module: the floor on Res, RecRes and the frame rate; the
//   flags are not changed. No module: nothing.
// "No Sensor" and no selection change nothing. The input acts by what it is, not by its position,
// so the design-time list (HDMI items in the middle) behaves like the variant lists.
InputEffect selectInput(const variant::BoardFlags& flags, variant::Channel channel,
                        std::string_view item, int res, int recRes);

// S1IChange/S2IChange as writes to the windows, from what they show now: on the full board the
// module flags, the frame rate (stream, then recording) and the floors; on the small board the
// floors, then the frame rate. Lists are written only where the selection changes.
controls::Applied inputActions(const variant::BoardFlags& flags, variant::Channel channel,
                               const controls::ConfigView& view);

// The floor that the input now selected for a channel sets (selectedInput: the channel's sensor
// input list as the view shows it).
int selectedInputFloor(const variant::BoardFlags& flags, variant::Channel channel,
                       const controls::ConfigView& view);

// Res1Change/Res2Change: the stream's resolution list raised to the selected input's floor; only
// the stream list follows (the recording list, frame rates and flags stay). Nothing when the
// selection already meets the floor.
controls::Applied resolutionActions(const variant::BoardFlags& flags, variant::Channel channel,
                                    const controls::ConfigView& view);

} // namespace corvane::inputs
