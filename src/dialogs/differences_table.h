#pragma once
// The settings whose values differ, as a table of three columns: the setting as the windows label
// it ("Stream 11 Bit Rate"), then each side's value. Every text is shown as plain text; the
// compare window and the history window show their differences through it.
#include "core/config_compare.h"

#include <QTableWidget>

#include <vector>

class DifferencesTable : public QTableWidget {
    Q_OBJECT
public:
    // `ours` and `theirs` head the value columns ("Windows", "Board").
    DifferencesTable(const QString& ours, const QString& theirs, QWidget* parent = nullptr);

    // Shows these differences, one row each, in their order; none empties the table.
    void setDifferences(const std::vector<corvane::compare::Difference>& differences);
};
