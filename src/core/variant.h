// Board variant and input modules: the state flags, the sensor-input item lists, and what
// applying a variant does to the main window (title, stream group captions, input lists).
//
// The full board "Corvane" has one fixed input list for both streams. On the small board
// "Corvane Lumo" each channel takes a plug-in module (HD SDI, analog, HDMI or none) and offers
// that module's inputs only. brdf.ini stores the variant and the two modules.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::variant {

// A module, numbered as the items of the board dialog's groups C11G and C12G.
enum class Module { Sdi, Analog, Hdmi, None };

inline constexpr std::array<std::string_view, 4> kModuleKeywords{"SDI", "Analog", "HDMI", "None"};
inline constexpr std::array<std::string_view, 4> kModuleItems{"HD SDI", "Analog", "HDMI", "None"};

// Exact, case-sensitive keyword of brdf.ini; anything else (trailing space, other case) is none.
std::optional<Module> moduleFromKeyword(std::string_view keyword);
// Group position 0..3; -1 (no selection) or anything else is none.
std::optional<Module> moduleFromIndex(int index);
std::string_view keyword(Module m);

// The module flags of one channel; at most one is set, none means no module.
struct ModuleFlags {
    bool sdi = false;
    bool analog = false;
    bool hdmi = false;

    bool any() const { return sdi || analog || hdmi; }
    friend bool operator==(const ModuleFlags&, const ModuleFlags&) = default;
};
ModuleFlags flagsFor(Module m);
// The module whose list a small-board channel shows, tested in the order HD SDI, analog, HDMI;
// None when no flag is set.
Module moduleOf(const ModuleFlags& m);

enum class Channel { Ch11, Ch12 }; // channel 11 feeds stream 11 (S1I), channel 12 stream 12 (S2I)

// The board state flags. fullBoard and boardVariant change together: full board (true, 0) or
// small board (false, 1). At start: full board, no module flags.
struct BoardFlags {
    bool fullBoard = true;
    int boardVariant = 0;
    ModuleFlags ch11; // Ch11Sdi, Ch11Analog, Ch11Hdmi
    ModuleFlags ch12; // Ch12Sdi, Ch12Analog, Ch12Hdmi

    const ModuleFlags& modules(Channel c) const { return c == Channel::Ch11 ? ch11 : ch12; }
    ModuleFlags& modules(Channel c) { return c == Channel::Ch11 ? ch11 : ch12; }
    friend bool operator==(const BoardFlags&, const BoardFlags&) = default;
};

// ---- Item lists ------------------------------------------------------------------------------

// The thirteen items of S1I and S2I before any variant is applied.
const std::vector<std::string>& designTimeList();
// Both streams of the full board.
const std::vector<std::string>& fullList();
// A small-board channel with this module ("None": only "No Sensor").
const std::vector<std::string>& moduleList(Module m);

// "RTSP Stream 11" / "RTSP Stream 12".
std::string fullCaption(Channel c);
// "RTSP Stream 11 (HD SDI)", "... (Analog)", "... (HDMI)", "... (No Module)".
std::string moduleCaption(Channel c, Module m);

inline constexpr std::string_view kFullTitle = "Corvane";
inline constexpr std::string_view kSmallTitle = "Corvane Lumo";

// ---- Applying a variant ----------------------------------------------------------------------

// New contents of one stream's input list and group caption. The list is replaced whole;
// selected is -1 (nothing) except for the "None" module, whose only item is selected.
struct StreamView {
    std::string caption;
    std::vector<std::string> items;
    int selected = -1;

    friend bool operator==(const StreamView&, const StreamView&) = default;
};

// What applying a variant does; the window writes it into its controls and flags.
struct VariantEffect {
    std::string title; // the main window title (without version); empty: left as it is
    std::optional<StreamView> stream11; // S1I and GroupBox1; empty: left as they are
    std::optional<StreamView> stream12; // S2I and GroupBox2; empty: left as they are
    BoardFlags flags;                   // the flags afterwards
    // Board dialog module groups to select (start-up from brdf.ini only); empty: untouched.
    std::optional<int> c11gIndex;
    std::optional<int> c12gIndex;
};

// Full board: title "Corvane", both streams the full list with the full captions; fullBoard set,
// boardVariant 0, module flags as they were.
VariantEffect applyFullVariant(const BoardFlags& current);

// Small board: title "Corvane Lumo", fullBoard clear, boardVariant 1; for each channel with a
// module: its flags, list and caption. A channel without a module given changes nothing.
VariantEffect applySmallVariant(const BoardFlags& current, std::optional<Module> ch11,
                                std::optional<Module> ch12);

// ---- brdf.ini --------------------------------------------------------------------------------

// Start-up from the text of brdf.ini. Line 1 is compared exactly with "Corvane", then "Lumo":
// "Corvane" applies the full board; "Lumo" applies the small board with the keywords of lines 2
// and 3 (a missing or unknown keyword changes nothing for its channel) and also gives the board
// dialog's group positions. Any other first line: no effect (std::nullopt), the design-time
// lists and start flags stay. The board dialog's CorS/LumoS follow effect.flags.fullBoard.
std::optional<VariantEffect> variantFromBoardFile(std::string_view fileText,
                                                  const BoardFlags& current);

// The board dialog's "Save": the full board when fullBoard is set, then the small board when
// boardVariant is not 0, with the modules at the groups' positions (-1: that channel unchanged).
// The flags passed in are those the dialog's check boxes have already set.
VariantEffect saveBoardDialog(const BoardFlags& flags, int c11gIndex, int c12gIndex);

// The brdf.ini that "Save" writes: "Corvane" for the full board; "Lumo" and the two module
// keywords for the small board. A group without a selection writes no line, except that channel
// 11 then writes an empty line when channel 12 writes one, so that channel 12's keyword stays on
// line 3. CR LF line ends.
std::string writeBoardFile(const BoardFlags& flags, int c11gIndex, int c12gIndex);

} // namespace corvane::variant
