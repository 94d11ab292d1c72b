#pragma once
// What a handler settles before it sends the values of the windows.
#include "core/controls.h"

#include <QString>

#include <span>
#include <string>

namespace handlers {

// A text in `boxes` that would break its frame, or else the plan's own refusal, is told in a
// message (Refused); texts that cannot be right are asked about in one question, whose "No" sends
// nothing (Declined). `why` receives what stopped it.
enum class Go { Send, Refused, Declined };
Go settleSend(const QString& action, const corvane::controls::ConfigView& view,
              std::span<const corvane::controls::Ctl> boxes, const std::string& planRefusal,
              QString* why = nullptr);

} // namespace handlers
