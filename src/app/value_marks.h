#pragma once
// Numeric and address boxes show, as the operator types, when their text cannot be right: a red
// frame and a tooltip saying what is accepted. Typing is never refused; the save, the Update
// buttons and the network save ask before sending a box marked so (handlers::settleSend).
#include "core/controls.h"

class ControlMap;

// Watches every box of a window that has a rule (core/value_rules.h) and marks it now and at each
// change of its text, by the operator or from code. A dialog's boxes are watched once its widgets
// are built.
void watchValues(const ControlMap& controls, corvane::controls::Window window);
