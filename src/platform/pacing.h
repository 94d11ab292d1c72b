#pragma once
// The seam for time: blocking sleeps of the user-interface thread and timer intervals.
// Production code always runs at scale 1; tests may shrink time.

namespace platform::pacing {

// The interval to give a timer for a nominal number of milliseconds.
int interval(int milliseconds);
// Blocks the calling thread for a nominal number of milliseconds.
void sleep(int milliseconds);
// Tests only: multiplies every interval and sleep by `factor` (for example 0.01).
void setScale(double factor);
double scale();

} // namespace platform::pacing
