#pragma once
// The history window: the configurations read from the board and sent to it, newest first; the
// settings in which the selected one differs from the windows; "Load into Windows" shows it in
// the windows (the operator then saves it), "Open Folder" opens the history's folder.
#include "core/controls.h"
#include "core/history.h"
#include "core/variant.h"

#include <QDialog>

#include <functional>
#include <vector>

class DifferencesTable;
class QLabel;
class QPushButton;
class QTableWidget;

class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    // What the window needs of the main window.
    struct Hooks {
        // What the windows show now, and the board flags their lists are read with.
        std::function<corvane::controls::ConfigView()> windows;
        std::function<corvane::variant::BoardFlags()> flags;
        // Shows a whole configuration in the windows.
        std::function<void(const corvane::controls::ConfigView&)> load;
    };

    // The entries of `folder`; the list is read again whenever the window is shown.
    HistoryWindow(const QString& folder, Hooks hooks, QWidget* parent = nullptr);

    // Reads the list again, keeping the selected entry when it is still there (else the newest is
    // selected), and shows its differences against the windows as they are now.
    void refresh();
    // While a sequence runs "Load into Windows" is held: the windows are being read or sent.
    void setHeld(bool held);

    // The entries listed, in their order.
    const std::vector<corvane::history::Entry>& entries() const { return entries_; }
    // Selects the entry at `row` of the list.
    void select(int row);
    // "Load into Windows": the selected entry shown in the windows; a file that cannot be read or
    // is refused is said in a message, and the windows stay as they are.
    void loadSelected();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSelected();
    void updateButtons();
    QString pathOf(const corvane::history::Entry& entry) const;

    QString folder_;
    Hooks hooks_;
    std::vector<corvane::history::Entry> entries_;
    QTableWidget* list_;
    QLabel* summary_;
    DifferencesTable* differences_;
    QPushButton* load_;
    bool held_ = false;
    bool selectedReadable_ = false;
};
