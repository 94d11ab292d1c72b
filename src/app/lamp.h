#pragma once
// The recording indicator Rec1 as a lamp: its colour is its state, and what a screen reader hears
// as its description.
#include "core/controls.h"

class ShapeIndicator;

void paintLamp(ShapeIndicator* indicator, corvane::controls::Lamp lamp);
// The lamp's state, read from its colour; any colour but green or red counts as grey.
corvane::controls::Lamp lampOf(const ShapeIndicator* indicator);
