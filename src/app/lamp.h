#pragma once
// The window's indicators: the recording indicator Rec1 as a lamp, whose colour is its state and
// what a screen reader hears as its description, and the connection text ConNot.
#include "core/controls.h"

class QColor;
class QLabel;
class QString;
class ShapeIndicator;

void paintLamp(ShapeIndicator* indicator, corvane::controls::Lamp lamp);
// The lamp's state, read from its colour; any colour but green or red counts as grey.
corvane::controls::Lamp lampOf(const ShapeIndicator* indicator);

// ConNot: "Connected" in red, "Not Connected" in black.
void paintConNot(QLabel* conNot, const QString& text, const QColor& colour);
