#include "app/control_map.h"

#include "core/config_text.h"
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

std::size_t slot(controls::Window window) {
    return static_cast<std::size_t>(window);
}

// The catalogue's rows and the window controls after them.
std::vector<controls::CtlInfo> allRows() {
    std::vector<controls::CtlInfo> rows(controls::kCatalogue.begin(), controls::kCatalogue.end());
    rows.insert(rows.end(), controls::kWindowControls.begin(), controls::kWindowControls.end());
    return rows;
}

// The items a dialog's list holds (its items do not depend on the board).
std::vector<std::string> heldItems(controls::Ctl c) {
    return corvane::configtext::listItems(c, corvane::variant::BoardFlags{});
}

// What a line edit keeps of a text set from code.
constexpr std::size_t kEditMaxLength = 32767;

} // namespace

ControlMap::ControlMap(QWidget* main, std::function<void(controls::Window)> build)
    : build_(std::move(build)) {
    resolve(controls::Window::Main, main);
}

void ControlMap::resolve(controls::Window window, QWidget* in) {
    attached_[slot(window)] = true;
    for (const controls::CtlInfo& row : allRows()) {
        if (row.window != window)
            continue;
        const QString name = QString::fromLatin1(row.name.data(), qsizetype(row.name.size()));
        QWidget* w = in ? in->findChild<QWidget*>(name) : nullptr;
        if (!w || !hasKind(w, row.kind)) {
            problems_ << name;
            continue;
        }
        widgets_[std::size_t(row.id)] = w;
    }
}

void ControlMap::attach(controls::Window window, QWidget* dialog) {
    if (attached(window))
        return;
    resolve(window, dialog);
    // The values held until now go into the widgets, as if written from code.
    for (const controls::CtlInfo& row : controls::kCatalogue) {
        if (row.window != window)
            continue;
        QWidget* w = widget(row.id);
        if (!w)
            continue;
        const Held& held = held_[std::size_t(row.id)];
        switch (row.kind) {
        case controls::Kind::Edit:
            static_cast<QLineEdit*>(w)->setText(platform::toQ(held.value.text));
            break;
        case controls::Kind::List:
            static_cast<QComboBox*>(w)->setCurrentIndex(held.value.index);
            break;
        case controls::Kind::Check:
        case controls::Kind::Radio:
            static_cast<QAbstractButton*>(w)->setChecked(held.value.checked);
            break;
        case controls::Kind::Caption:
            static_cast<QLabel*>(w)->setText(platform::toQ(held.value.text));
            break;
        case controls::Kind::Button:
            break;
        }
        if (!held.enabled)
            w->setEnabled(false);
    }
}

bool ControlMap::attached(controls::Window window) const {
    return attached_[slot(window)];
}

QWidget* ControlMap::widget(controls::Ctl c) const {
    const controls::Window window = controls::info(c).window;
    if (!attached(window) && build_)
        build_(window);
    return widgets_[std::size_t(c)];
}

QWidget* ControlMap::builtWidget(controls::Ctl c) const {
    return widgets_[std::size_t(c)];
}

controls::ConfigView ControlMap::read() const {
    controls::ConfigView view;
    for (const controls::CtlInfo& row : controls::kCatalogue) {
        controls::ControlValue& v = view[row.id];
        if (!attached(row.window)) {
            v = held_[std::size_t(row.id)].value;
            continue;
        }
        QWidget* w = builtWidget(row.id);
        if (!w)
            continue;
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
    using Op = controls::Action::Op;
    const controls::CtlInfo& row = controls::info(a.ctl);
    if (!attached(row.window)) {
        // A dialog not built yet: its held values change as its widgets would.
        Held& held = held_[std::size_t(a.ctl)];
        switch (a.op) {
        case Op::SetText:
        case Op::SetCaption:
            held.value.text = a.text.substr(0, kEditMaxLength);
            break;
        case Op::Select: {
            const std::vector<std::string> items = heldItems(a.ctl);
            const bool holds = a.index >= 0 && a.index < static_cast<int>(items.size());
            held.value.index = holds ? a.index : -1;
            held.value.text = holds ? items[static_cast<std::size_t>(a.index)] : std::string();
            break;
        }
        case Op::SetChecked:
            held.value.checked = a.on;
            break;
        case Op::SetEnabled:
            held.enabled = a.on;
            break;
        default:
            break;
        }
        return;
    }
    QWidget* w = builtWidget(a.ctl);
    if (!w)
        return;
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
