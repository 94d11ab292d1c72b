#pragma once
// The settings files of the working folder that the main window reads at start-up and writes at
// close: the serial settings and the reconnect option (conf.ini) and the board variant
// (brdf.ini). The UDP dialog keeps udpf.ini itself.
#include "core/variant.h"

#include <QString>

#include <optional>

class TForm1;

namespace settingsfiles {

// conf.ini into the serial settings and "Reconnect Automatically"; a file that cannot be read is
// reported, a missing one (the first start) is not.
void loadSerial(TForm1& f);
// The serial settings and the reconnect option into conf.ini, keeping whatever else it holds.
void storeSerial(const TForm1& f);
// brdf.ini in `dir`, read against the board flags held now: the variant it gives, or nothing
// (a missing file is reported; a file this program does not know changes nothing).
std::optional<corvane::variant::VariantEffect> readBoard(const QString& dir,
                                                         const corvane::variant::BoardFlags& now);

} // namespace settingsfiles
