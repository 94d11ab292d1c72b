#pragma once
// The tests' name for the core's applyToView (core/view_apply.h).
#include "core/view_apply.h"

using corvane::controls::applyToView;
