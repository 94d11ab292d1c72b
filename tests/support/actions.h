#pragma once
// The actions of an operation that a test watches, as one line. Header-only (Qt Core), so that
// the core tests can use it.
#include "core/controls.h"

#include <QString>
#include <QStringList>

// The actions whose description starts with one of the watched names (separated by spaces), in
// order, joined by "; ", then "!" and the error when the operation stopped with one.
inline QString watched(const corvane::controls::Applied& applied, const QString& watch) {
    const QStringList names = watch.split(' ');
    QStringList out;
    for (const corvane::controls::Action& a : applied.actions) {
        const QString d = QString::fromStdString(corvane::controls::describe(a));
        for (const QString& n : names)
            if (d.startsWith(n + "=") || d.startsWith(n + ":") || d.startsWith(n + "^") ||
                d.startsWith(n + "{") || d == n)
                out << d;
    }
    if (!applied.ok())
        out << "!" + QString::fromStdString(applied.error);
    return out.join("; ");
}
