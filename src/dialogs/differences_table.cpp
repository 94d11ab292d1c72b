#include "dialogs/differences_table.h"

#include "platform/latin1.h"

#include <QHeaderView>

DifferencesTable::DifferencesTable(const QString& ours, const QString& theirs, QWidget* parent)
    : QTableWidget(0, 3, parent) {
    setHorizontalHeaderLabels({QStringLiteral("Setting"), ours, theirs});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setAccessibleName(QStringLiteral("Settings that differ"));
}

void DifferencesTable::setDifferences(
    const std::vector<corvane::compare::Difference>& differences) {
    setRowCount(0);
    setRowCount(int(differences.size()));
    int row = 0;
    for (const auto& d : differences) {
        // QTableWidgetItem shows its text as plain text: a value from the board or a file is never
        // read as markup.
        const QString texts[3] = {platform::toQ(std::string(corvane::controls::label(d.ctl))),
                                  platform::toQ(d.ours), platform::toQ(d.theirs)};
        for (int column = 0; column < 3; ++column)
            setItem(row, column, new QTableWidgetItem(texts[column]));
        ++row;
    }
    resizeColumnToContents(1);
}
