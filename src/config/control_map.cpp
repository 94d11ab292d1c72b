#include "config/control_map.h"

#include "platform/files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace cc = corvane::controls;

namespace {

bool hasKind(QWidget* w, cc::Kind kind) {
    switch (kind) {
    case cc::Kind::Edit:
        return qobject_cast<QLineEdit*>(w);
    case cc::Kind::List:
        return qobject_cast<QComboBox*>(w);
    case cc::Kind::Check:
        return qobject_cast<QCheckBox*>(w);
    case cc::Kind::Radio:
        return qobject_cast<QRadioButton*>(w);
    case cc::Kind::Caption:
        return qobject_cast<QLabel*>(w);
    }
    return false;
}

} // namespace

ControlMap::ControlMap(QWidget* main, QWidget* recording, QWidget* rtp) {
    for (const cc::CtlInfo& row : cc::kCatalogue) {
        QWidget* window = row.window == cc::Window::Main        ? main
                          : row.window == cc::Window::Recording ? recording
                                                                : rtp;
        const QString name = QString::fromLatin1(row.name.data(), qsizetype(row.name.size()));
        QWidget* w = window ? window->findChild<QWidget*>(name) : nullptr;
        if (!w || !hasKind(w, row.kind)) {
            problems_ << name;
            continue;
        }
        widgets_[std::size_t(row.id)] = w;
    }
}

QWidget* ControlMap::widget(cc::Ctl c) const {
    return widgets_[std::size_t(c)];
}

cc::ConfigView ControlMap::read() const {
    cc::ConfigView view;
    for (const cc::CtlInfo& row : cc::kCatalogue) {
        QWidget* w = widget(row.id);
        if (!w)
            continue;
        cc::ControlValue& v = view[row.id];
        switch (row.kind) {
        case cc::Kind::Edit:
            v.text = platform::fromQ(static_cast<QLineEdit*>(w)->text());
            break;
        case cc::Kind::List: {
            const auto* list = static_cast<QComboBox*>(w);
            v.index = list->currentIndex();
            if (v.index >= 0)
                v.text = platform::fromQ(list->currentText());
            break;
        }
        case cc::Kind::Check:
        case cc::Kind::Radio:
            v.checked = static_cast<QAbstractButton*>(w)->isChecked();
            break;
        case cc::Kind::Caption:
            v.text = platform::fromQ(static_cast<QLabel*>(w)->text());
            break;
        }
    }
    return view;
}

void ControlMap::apply(const cc::Action& a) const {
    if (a.ctl == cc::Ctl::Count)
        return;
    QWidget* w = widget(a.ctl);
    if (!w)
        return;
    using Op = cc::Action::Op;
    switch (a.op) {
    case Op::SetText:
        static_cast<QLineEdit*>(w)->setText(platform::toQ(a.text));
        break;
    case Op::Select: {
        auto* list = static_cast<QComboBox*>(w);
        // A position the list does not hold leaves no entry selected.
        list->setCurrentIndex(a.index >= 0 && a.index < list->count() ? a.index : -1);
        break;
    }
    case Op::SetChecked:
        static_cast<QAbstractButton*>(w)->setChecked(a.on);
        break;
    case Op::SetCaption:
        static_cast<QLabel*>(w)->setText(platform::toQ(a.text));
        break;
    default:
        break;
    }
}
