#pragma once
// The configuration controls of the main window, the recording dialog and the RTP dialog,
// resolved once from the catalogue by object name. Reads what they show and writes through the
// widgets, so that a written control behaves as if the operator had changed it: a check box or
// radio button runs its handler when its state really changes, an edit its change handler, and a
// list selected from code runs nothing.
#include "core/controls.h"

#include <QStringList>
#include <array>

class QWidget;

class ControlMap {
public:
    ControlMap(QWidget* main, QWidget* recording, QWidget* rtp);

    // The widget of a control (never null once problems() is empty).
    QWidget* widget(corvane::controls::Ctl c) const;
    // Catalogue entries (configuration and window controls) not found in their window, or found
    // with another kind of widget. The window refuses to start with any (see TForm1).
    const QStringList& problems() const { return problems_; }

    // Lists give their selected position and its item text (empty when nothing is selected).
    corvane::controls::ConfigView read() const;
    // Writes one control; state actions (no control) are the caller's.
    void apply(const corvane::controls::Action& action) const;

private:
    std::array<QWidget*, static_cast<std::size_t>(corvane::controls::Ctl::End)> widgets_{};
    QStringList problems_;
};
