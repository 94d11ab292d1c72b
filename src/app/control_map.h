#pragma once
// The configuration controls of the main window, the recording dialog and the RTP dialog,
// resolved from the catalogue by object name: the main window's at once, a dialog's when its
// widgets are built. Reads what they show and writes through the widgets, so that a written
// control behaves as if the operator had changed it: a check box or radio button runs its handler
// when its state really changes, an edit its change handler, and a list selected from code runs
// nothing. Until a dialog is built its controls are held as plain values, read and written as its
// widgets would be, and handed to the widgets when they are built.
#include "core/controls.h"

#include <QStringList>
#include <array>
#include <functional>

class QWidget;

class ControlMap {
public:
    // `build` builds the widgets of a dialog when one of its controls is asked for (it calls
    // attach()).
    ControlMap(QWidget* main, std::function<void(corvane::controls::Window)> build);

    // The dialog of `window` has built its widgets: its controls are found in it and take the
    // values held for them.
    void attach(corvane::controls::Window window, QWidget* dialog);
    bool attached(corvane::controls::Window window) const;

    // The widget of a control, its dialog built first when it is not yet (never null once
    // problems() is empty).
    QWidget* widget(corvane::controls::Ctl c) const;
    // The widget of a control whose window is built, otherwise null; builds nothing.
    QWidget* builtWidget(corvane::controls::Ctl c) const;
    // Catalogue entries (configuration and window controls) not found in their window, or found
    // with another kind of widget. The window refuses to start with any (see TForm1), and a
    // dialog to be built.
    const QStringList& problems() const { return problems_; }

    // Lists give their selected position and its item text (empty when nothing is selected).
    corvane::controls::ConfigView read() const;
    // Writes one control; state actions (no control) are the caller's.
    void apply(const corvane::controls::Action& action) const;

private:
    struct Held {
        corvane::controls::ControlValue value;
        bool enabled = true;
    };
    void resolve(corvane::controls::Window window, QWidget* in);

    std::array<QWidget*, static_cast<std::size_t>(corvane::controls::Ctl::End)> widgets_{};
    mutable std::array<Held, corvane::controls::kCtlCount> held_{};
    std::array<bool, 3> attached_{};
    std::function<void(corvane::controls::Window)> build_;
    QStringList problems_;
};
