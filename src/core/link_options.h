#pragma once
// The program's own link options in conf.ini, in a section apart from the serial settings'
// "ComPort1": whether a lost link is reconnected automatically.
#include <string>
#include <string_view>

namespace corvane::linkoptions {

inline constexpr std::string_view kSection = "Link";
inline constexpr std::string_view kReconnectKey = "ReconnectAutomatically";

// True when the file's option says "1"; off when missing or anything else.
bool reconnectFromConfIni(std::string_view fileText);
// The file with the option stored, everything else kept. An option that is off and that the file
// does not hold yet adds nothing: the file stays exactly as it was.
std::string writeReconnect(std::string_view fileText, bool on);

} // namespace corvane::linkoptions
