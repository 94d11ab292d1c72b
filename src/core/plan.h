// What a handler of the main window does, as data: its paced steps on the wire interleaved with
// the changes it makes to the window, in order. The window runs a plan item by item: consecutive
// steps go through the window's runSteps, control changes through its applyActions (so that a box
// cleared by the plan runs its own handler, which may send its own command), and the rest
// directly. A plan is thus tested whole as a table row without a window.
#pragma once

#include "core/controls.h"
#include "core/steps.h"

#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace corvane::plan {

// A message box for the operator, at this point of the plan.
struct Message {
    std::string text;
    friend bool operator==(const Message&, const Message&) = default;
};

// The streaming flag StreamingOn set or cleared.
struct Streaming {
    bool on;
    friend bool operator==(const Streaming&, const Streaming&) = default;
};

// What follows shows a state the board must have confirmed: it runs only when the command sent
// last left, was acknowledged and was not refused (a stream start error); otherwise the plan
// ends here.
struct Confirmed {
    friend bool operator==(const Confirmed&, const Confirmed&) = default;
};

using Item = std::variant<steps::Step, controls::Action, Message, Streaming, Confirmed>;

struct Plan {
    std::vector<Item> items;

    // Built in place (moving a whole Item about makes GCC see uninitialised members).
    template <class T> Plan& add(T&& item) {
        items.emplace_back(std::in_place_type<std::decay_t<T>>, std::forward<T>(item));
        return *this;
    }
    // A frame followed by a pause (pauseMs > 0) or nothing.
    Plan& send(std::string frame, int pauseMs = 0);
    Plan& pause(int ms) { return add(steps::Step::pause(ms)); }
    Plan& wait() { return add(steps::Step::wait()); }
    Plan& message(std::string text) { return add(Message{std::move(text)}); }
    Plan& confirmed() { return add(Confirmed{}); }
    // The FEC boxes ("FEC", "FEC Error") or the FEC edits (L, D, overhead) enabled or not.
    Plan& enableFecBoxes(bool on);
    Plan& enableFecEdits(bool on);

    bool empty() const { return items.empty(); }
    // The frames the plan sends (its send steps), as a sequence counts them.
    int sendCount() const;
};

// The plan as one line for tests, items joined by " ": steps as steps::describe writes them
// ("A50205<CR>", "~100", "W"), actions as controls::describe ("CEFEC:off", "lamp=green",
// "enable(CEFEC)"), "!'<message>'", "StreamingOn=1", "?confirmed".
std::string describe(const Plan& plan);

} // namespace corvane::plan
