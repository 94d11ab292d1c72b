// Runs a handler's plan (core/plan.h) in order: consecutive steps as one sequence through
// runSteps, control changes through applyActions (a box changed here runs its own handler), the
// rest on the main window directly.
#include "app/tform1.h"

#include "core/plan.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

#include <optional>
#include <utility>

namespace plan = corvane::plan;

void TForm1::runPlan(const plan::Plan& plan, const QString& sequenceName,
                     BoardLink::EndText endText) {
    std::optional<BoardLink::Sequence> sequence;
    if (!sequenceName.isEmpty()) {
        sequence.emplace(link, sequenceName, plan.sendCount());
        if (!*sequence)
            return;
        sequence->setEndText(std::move(endText));
    }
    corvane::steps::Steps pending;
    // A send that fails on the serial port ends the plan there.
    const auto flush = [&] {
        const bool sent = pending.empty() || runSteps(pending);
        pending.clear();
        return sent;
    };
    // A box changed by reading or clearing the display shows its state and sends nothing.
    const bool sendNothing = boxesSendNothing_;
    for (const plan::Item& item : plan.items) {
        if (const auto* step = std::get_if<corvane::steps::Step>(&item)) {
            if (!sendNothing)
                pending.push_back(*step);
            continue;
        }
        if (!flush())
            return;
        if (std::holds_alternative<plan::Confirmed>(item)) {
            // What the board did not confirm is not shown.
            if (sendNothing || !link.confirmed())
                return;
        } else if (const auto* action = std::get_if<corvane::controls::Action>(&item)) {
            applyActions(corvane::controls::Applied{{*action}, {}});
        } else if (const auto* message = std::get_if<plan::Message>(&item)) {
            platform::message(platform::toQ(message->text));
        } else if (const auto* streaming = std::get_if<plan::Streaming>(&item)) {
            StreamingOn = streaming->on;
        }
    }
    flush();
}
