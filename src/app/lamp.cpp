#include "app/lamp.h"

#include "app/widgets.h"

#include <QColor>
#include <QLabel>

using corvane::controls::Lamp;

namespace {

struct LampLook {
    Lamp lamp;
    QColor colour;
    const char* state;
};
const LampLook kLampLooks[] = {
    {Lamp::Grey, QColor(128, 128, 128), "not streaming"},
    {Lamp::Green, QColor(0, 255, 0), "streaming"},
    {Lamp::Red, QColor(255, 0, 0), "recording"},
};

} // namespace

void paintLamp(ShapeIndicator* indicator, Lamp lamp) {
    for (const LampLook& look : kLampLooks) {
        if (look.lamp != lamp)
            continue;
        indicator->setFillColor(look.colour);
        // Tells a screen reader when it changes.
        indicator->setAccessibleDescription(QLatin1String(look.state));
        return;
    }
}

Lamp lampOf(const ShapeIndicator* indicator) {
    const QColor colour = indicator->fillColor();
    for (const LampLook& look : kLampLooks)
        if (look.colour == colour)
            return look.lamp;
    return Lamp::Grey;
}

void paintConNot(QLabel* conNot, const QString& text, const QColor& colour) {
    conNot->setText(text);
    QPalette pal = conNot->palette();
    pal.setColor(QPalette::WindowText, colour);
    conNot->setPalette(pal);
}
