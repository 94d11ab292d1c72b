#include "core/steps.h"

namespace corvane::steps {

std::string describe(const Steps& steps) {
    std::string out;
    for (const auto& s : steps) {
        if (!out.empty())
            out += ' ';
        switch (s.kind) {
        case Step::Kind::Send:
            if (s.frame.empty())
                out += "''";
            for (char c : s.frame)
                out += c == '\r' ? std::string("<CR>") : std::string(1, c);
            break;
        case Step::Kind::Pause:
            out += '~' + std::to_string(s.ms);
            break;
        case Step::Kind::Wait:
            out += 'W';
            break;
        }
    }
    return out;
}

int totalPause(const Steps& steps) {
    int total = 0;
    for (const auto& s : steps)
        if (s.kind == Step::Kind::Pause)
            total += s.ms;
    return total;
}

} // namespace corvane::steps
