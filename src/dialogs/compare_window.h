#pragma once
// The window of "Compare with Board": the settings in which the windows and the board differ,
// or "Identical", and what the operator can do about them: save the windows to the board, or load
// the board's values into the windows. It holds no sequence of its own; the main window acts on
// its buttons. Not modal: the main window and its sequences stay usable while it is open.
#include "core/config_compare.h"

#include <QDialog>

#include <vector>

class DifferencesTable;
class QLabel;
class QPushButton;

class CompareWindow : public QDialog {
    Q_OBJECT
public:
    explicit CompareWindow(QWidget* parent = nullptr);

    // Lists these differences (the windows' value, then the board's), or says "Identical".
    void setDifferences(const std::vector<corvane::compare::Difference>& differences);

    DifferencesTable* table() const { return table_; }
    QLabel* summary() const { return summary_; }

signals:
    // "Save Config." and "Load Board Values" were pressed; the window has closed, since the list
    // no longer tells what either side holds.
    void saveRequested();
    void loadRequested();

private:
    QLabel* summary_;
    DifferencesTable* table_;
    QPushButton* save_;
    QPushButton* load_;
    QPushButton* close_;
};
