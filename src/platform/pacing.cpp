#include "platform/pacing.h"

#include <QThread>
#include <cmath>

namespace platform::pacing {
namespace {
double factor = 1.0;
}

int interval(int milliseconds) {
    if (factor == 1.0)
        return milliseconds;
    return std::max(1, static_cast<int>(std::lround(milliseconds * factor)));
}

void sleep(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(interval(milliseconds)));
}

void setScale(double f) {
    factor = f > 0 ? f : 1.0;
}

double scale() {
    return factor;
}

} // namespace platform::pacing
