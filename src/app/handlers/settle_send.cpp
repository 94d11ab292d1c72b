// What a handler settles before it sends the values of the windows: a value that would break its
// frame is refused, values that cannot be right are asked about.
#include "app/handlers/settle_send.h"

#include "core/text.h"
#include "core/value_rules.h"
#include "platform/files.h"
#include "platform/prompts.h"

#include <QStringList>

namespace handlers {

Go settleSend(const QString& action, const corvane::controls::ConfigView& view,
              std::span<const corvane::controls::Ctl> boxes, const std::string& planRefusal,
              QString* why) {
    const corvane::values::SendCheck check = corvane::values::checkSent(view, boxes);
    const std::string& refusal = check.refusal.empty() ? planRefusal : check.refusal;
    if (!refusal.empty()) {
        const QString text = platform::toQ(refusal);
        platform::message(text);
        if (why)
            *why = text;
        return Go::Refused;
    }
    if (!check.doubtful.empty() && !platform::question(platform::toQ(corvane::values::doubtQuestion(
                                       platform::fromQ(action), view, check.doubtful)))) {
        if (why) {
            QStringList doubts;
            for (const corvane::controls::Ctl box : check.doubtful)
                doubts << QStringLiteral("%1 '%2'").arg(
                    platform::toQ(std::string(corvane::controls::label(box))),
                    platform::toQ(corvane::text::quoted(view.text(box))));
            *why = doubts.join(QStringLiteral(", ")) + QStringLiteral(" cannot be right");
        }
        return Go::Declined;
    }
    return Go::Send;
}

} // namespace handlers
