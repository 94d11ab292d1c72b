#pragma once
// Control values written as the actions describe them, for test tables:
// "Res1=7 Bit1='' ERec1:on PARTP^'RTP 12'" sets a list position, an edit's text, a check state and
// a caption. Each form belongs to one kind of control (a list's position is a bare number, an
// edit's text and a caption are quoted, a box or radio button is on or off); a table that writes
// the wrong form, or anything that is not a change, stops the test at once.
//
// Core and Qt Core only, so that the core tests can use it.
#include "core/controls.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

// A whole configuration as the windows show it; test rows change a few controls.
inline const char* const kWholeConfiguration =
    "S1I=1 S2I=4 Res1=0 Res2=2 Bit1='4000' Bit2='1500' Gop1='30' Gop2='25' fps1='30' fps2='25' "
    "Efmt1=0 Efmt2=1 S1Aud:on S2Aud:off ERec1:on ERec2:on AutStart:off AutoDetect:on "
    "UDPRSB:off LFEC='4' DFEC='4' "
    "RecRes1=0 RecBit1='8000' RecGop1='30' Recfps1='30' RecRes2=2 RecBit2='3000' RecGop2='25' "
    "Recfps2='25' "
    "RTP11_S=0 RTP11_Port='1234' RTP11_M='225.1.1.1' RTP11_IP='192.168.0.20' "
    "RTP12_S=1 RTP12_Port='5006' RTP12_M='239.1.1.12' RTP12_IP='10.0.0.12'";

// Calls `each` with every change in the text as an action, in order.
inline void forEachChange(const QString& changes,
                          const std::function<void(const corvane::controls::Action&)>& each) {
    namespace cc = corvane::controls;
    using cc::Action;
    using cc::Kind;
    static const QRegularExpression form("(\\w+)(=|:|\\^)('[^']*'|\\S+)");
    qsizetype at = 0;
    auto it = form.globalMatch(changes);
    const auto onlySpaces = [&](qsizetype to) {
        return changes.mid(at, to - at).trimmed().isEmpty();
    };
    while (it.hasNext()) {
        const auto m = it.next();
        if (!onlySpaces(m.capturedStart()))
            qFatal("not a change: %s", qPrintable(changes.mid(at, m.capturedStart() - at)));
        at = m.capturedEnd();
        const auto ctl = cc::byName(m.captured(1).toStdString());
        if (!ctl)
            qFatal("no control %s", qPrintable(m.captured(1)));
        const Kind kind = cc::info(*ctl).kind;
        const QString sign = m.captured(2);
        const QString value = m.captured(3);
        const bool quoted = value.size() >= 2 && value.startsWith('\'') && value.endsWith('\'');
        const std::string text = value.mid(1, value.size() - 2).toStdString();
        bool number = false;
        const int index = value.toInt(&number);
        if (sign == ":" && (kind == Kind::Check || kind == Kind::Radio) &&
            (value == "on" || value == "off"))
            each(Action::setChecked(*ctl, value == "on"));
        else if (sign == "=" && kind == Kind::Edit && quoted)
            each(Action::setText(*ctl, text));
        else if (sign == "=" && kind == Kind::List && number)
            each(Action::select(*ctl, index));
        else if (sign == "^" && kind == Kind::Caption && quoted)
            each(Action::setCaption(*ctl, text));
        else
            qFatal("%s is not written as its kind of control is", qPrintable(m.captured(0)));
    }
    if (!onlySpaces(changes.size()))
        qFatal("not a change: %s", qPrintable(changes.mid(at)));
}

// The changes as actions, for the windows to apply.
inline corvane::controls::Applied actionsOf(const QString& changes) {
    corvane::controls::Applied applied;
    forEachChange(changes,
                  [&](const corvane::controls::Action& a) { applied.actions.push_back(a); });
    return applied;
}

// Writes the changes into a plain view of the controls: texts, positions, check states, captions
// (nothing else moves, not even a radio button's partner).
inline void changeView(corvane::controls::ConfigView& view, const QString& changes) {
    using Op = corvane::controls::Action::Op;
    forEachChange(changes, [&](const corvane::controls::Action& a) {
        switch (a.op) {
        case Op::SetChecked:
            view[a.ctl].checked = a.on;
            break;
        case Op::Select:
            view[a.ctl].index = a.index;
            break;
        default:
            view[a.ctl].text = a.text;
        }
    });
}

inline corvane::controls::ConfigView viewOf(const QString& changes) {
    corvane::controls::ConfigView view;
    changeView(view, changes);
    return view;
}

// The controls named in `changes` as the view holds them, written the same way: what a view
// shows of a table's row, to compare with the row.
inline QString textOf(const corvane::controls::ConfigView& view, const QString& changes) {
    using Op = corvane::controls::Action::Op;
    QStringList out;
    forEachChange(changes, [&](const corvane::controls::Action& a) {
        const QString name =
            QString::fromStdString(std::string(corvane::controls::info(a.ctl).name));
        switch (a.op) {
        case Op::SetChecked:
            out << name + (view.checked(a.ctl) ? ":on" : ":off");
            break;
        case Op::Select:
            out << name + '=' + QString::number(view.index(a.ctl));
            break;
        case Op::SetCaption:
            out << name + "^'" + QString::fromStdString(view.text(a.ctl)) + '\'';
            break;
        default:
            out << name + "='" + QString::fromStdString(view.text(a.ctl)) + '\'';
        }
    });
    return out.join(' ');
}
