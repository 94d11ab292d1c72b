#pragma once
// Control values written as the actions describe them, for test tables:
// "Res1=7 Bit1='' ERec1:on PARTP^'RTP 12'" sets a list position, an edit's text, a check state and
// a caption in a plain view of the controls.
#include "core/controls.h"

#include <QRegularExpression>
#include <QString>
#include <QtGlobal>

inline void changeView(corvane::controls::ConfigView& view, const QString& changes) {
    static const QRegularExpression form("(\\w+)(=|:|\\^)('[^']*'|\\S+)");
    auto it = form.globalMatch(changes);
    while (it.hasNext()) {
        const auto m = it.next();
        const auto ctl = corvane::controls::byName(m.captured(1).toStdString());
        if (!ctl)
            qFatal("no control %s", qPrintable(m.captured(1)));
        const QString value = m.captured(3);
        if (m.captured(2) == ":")
            view[*ctl].checked = value == "on";
        else if (value.startsWith('\''))
            view[*ctl].text = value.mid(1, value.size() - 2).toStdString();
        else
            view[*ctl].index = value.toInt();
    }
}
