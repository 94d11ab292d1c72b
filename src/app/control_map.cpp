#include "app/control_map.h"

#include "platform/files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

namespace controls = corvane::controls;

namespace {

bool hasKind(QWidget* w, controls::Kind kind) {
    switch (kind) {
    case controls::Kind::Edit:
        return qobject_cast<QLineEdit*>(w);
    case controls::Kind::List:
        return qobject_cast<QComboBox*>(w);
    case controls::Kind::Check:
        return qobject_cast<QCheckBox*>(w);
    case controls::Kind::Radio:
        return qobject_cast<QRadioButton*>(w);
    case controls::Kind::Caption:
        return qobject_cast<QLabel*>(w);
    case controls::Kind::Button:
        return qobject_cast<QPushButton*>(w);
    }
    return false;
}

} // namespace

ControlMap::ControlMap(QWidget* main, QWidget* recording, QWidget* rtp) {
    std::vector<controls::CtlInfo> rows(controls::kCatalogue.begin(), controls::kCatalogue.end());
    rows.insert(rows.end(), controls::kWindowControls.begin(), controls::kWindowControls.end());
    for (const controls::CtlInfo& row : rows) {
        QWidget* window = row.window == controls::Window::Main        ? main
                          : row.window == controls::Window::Recording ? recording
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

QWidget* ControlMap::widget(controls::Ctl c) const {
    return widgets_[std::size_t(c)];
}

controls::ConfigView ControlMap::read() const {
    controls::ConfigView view;
    for (const controls::CtlInfo& row : controls::kCatalogue) {
        QWidget* w = widget(row.id);
        if (!w)
            continue;
        controls::ControlValue& v = view[row.id];
        switch (row.kind) {
        case controls::Kind::Edit:
            v.text = platform::fromQ(static_cast<QLineEdit*>(w)->text());
            break;
        case controls::Kind::List: {
            const auto* list = static_cast<QComboBox*>(w);
            v.index = list->currentIndex();
            if (v.index >= 0)
                v.text = platform::fromQ(list->currentText());
            break;
        }
        case controls::Kind::Check:
        case controls::Kind::Radio:
            v.checked = static_cast<QAbstractButton*>(w)->isChecked();
            break;
        case controls::Kind::Caption:
            v.text = platform::fromQ(static_cast<QLabel*>(w)->text());
            break;
        case controls::Kind::Button:
            break;
        }
    }
    return view;
}

void ControlMap::apply(const controls::Action& a) const {
    if (a.ctl == controls::Ctl::Count)
        return;
    QWidget* w = widget(a.ctl);
    if (!w)
        return;
    using Op = controls::Action::Op;
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
    case Op::SetEnabled:
        w->setEnabled(a.on);
        break;
    default:
        break;
    }
}
