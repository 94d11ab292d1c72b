#include "dialogs/compare_window.h"

#include "dialogs/differences_table.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CompareWindow::CompareWindow(QWidget* parent)
    : QDialog(parent), summary_(new QLabel(this)),
      table_(new DifferencesTable(QStringLiteral("Windows"), QStringLiteral("Board"), this)),
      save_(new QPushButton(QStringLiteral("Save Config."), this)),
      load_(new QPushButton(QStringLiteral("Load Board Values"), this)),
      close_(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("CompareWindow"));
    setWindowTitle(QStringLiteral("Compare with Board"));
    setModal(false);

    summary_->setObjectName(QStringLiteral("CompareSummary"));
    summary_->setTextFormat(Qt::PlainText);
    summary_->setAccessibleName(QStringLiteral("Comparison result"));
    summary_->setAccessibleDescription(
        QStringLiteral("How many settings differ between the windows and the board"));
    table_->setObjectName(QStringLiteral("CompareTable"));
    table_->setAccessibleDescription(
        QStringLiteral("Each setting that differs: its name, the windows' value, the board's "
                       "value"));
    table_->setMinimumSize(460, 240);

    save_->setObjectName(QStringLiteral("CompareSave"));
    save_->setAccessibleDescription(
        QStringLiteral("Sends the windows' whole configuration to the board"));
    load_->setObjectName(QStringLiteral("CompareLoad"));
    load_->setAccessibleDescription(
        QStringLiteral("Puts the board's values, as read, into the windows; sends nothing"));
    close_->setObjectName(QStringLiteral("CompareClose"));
    close_->setAccessibleDescription(QStringLiteral("Closes this window"));
    // Enter closes the window: neither a save nor a load happens by a stray key.
    for (QPushButton* b : {save_, load_})
        b->setAutoDefault(false);
    close_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save_);
    buttons->addWidget(load_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);

    setTabOrder(table_, save_);
    setTabOrder(save_, load_);
    setTabOrder(load_, close_);

    connect(save_, &QPushButton::clicked, this, [this] {
        close();
        emit saveRequested();
    });
    connect(load_, &QPushButton::clicked, this, [this] {
        close();
        emit loadRequested();
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
}

void CompareWindow::setDifferences(const std::vector<corvane::compare::Difference>& differences) {
    table_->setDifferences(differences);
    const int n = int(differences.size());
    summary_->setText(
        n == 0   ? QStringLiteral("Identical")
        : n == 1 ? QStringLiteral("1 setting differs between the windows and the board")
                 : QStringLiteral("%1 settings differ between the windows and the board").arg(n));
    table_->setVisible(n > 0);
}
