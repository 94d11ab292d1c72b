#pragma once
// Board flags written as short texts in test tables:
//   "full S A"   full board with the Ch11Sdi and Ch12Analog flags set;
//   "small H N"  small board, HDMI module on channel 11, none on channel 12;
//   "full SH N"  two flags on channel 11 at once (left over from an earlier small-board setup).
// Letters: S HD SDI, A analog, H HDMI, anything else no module.
#include "core/variant.h"

#include <QString>
#include <QStringList>

inline corvane::variant::Module moduleOf(QChar c) {
    using corvane::variant::Module;
    switch (c.toLatin1()) {
    case 'S':
        return Module::Sdi;
    case 'A':
        return Module::Analog;
    case 'H':
        return Module::Hdmi;
    default:
        return Module::None;
    }
}

inline corvane::variant::BoardFlags flagsOf(const QString& preset) {
    namespace cv = corvane::variant;
    const QStringList p = preset.split(' ');
    cv::BoardFlags f;
    f.fullBoard = p[0] == "full";
    f.boardVariant = f.fullBoard ? 0 : 1;
    auto modules = [](const QString& letters) {
        cv::ModuleFlags m;
        for (QChar c : letters) {
            const cv::ModuleFlags one = cv::flagsFor(moduleOf(c));
            m.sdi |= one.sdi;
            m.analog |= one.analog;
            m.hdmi |= one.hdmi;
        }
        return m;
    };
    f.ch11 = modules(p.value(1));
    f.ch12 = modules(p.value(2));
    return f;
}
