#include "core/link_options.h"

#include "core/settings.h"

namespace corvane::linkoptions {

bool reconnectFromConfIni(std::string_view fileText) {
    return settings::IniDocument::parse(fileText).value(kSection, kReconnectKey) == "1";
}

std::string writeReconnect(std::string_view fileText, bool on) {
    settings::IniDocument doc = settings::IniDocument::parse(fileText);
    if (!on && !doc.has(kSection, kReconnectKey))
        return std::string(fileText);
    doc.set(kSection, kReconnectKey, on ? "1" : "0");
    return doc.toText();
}

} // namespace corvane::linkoptions
