#include "dialogs/history_window.h"

#include "core/config_compare.h"
#include "core/config_text.h"
#include "dialogs/differences_table.h"
#include "platform/history_files.h"
#include "platform/latin1.h"
#include "platform/prompts.h"

#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace configtext = corvane::configtext;
namespace hist = corvane::history;

namespace {

// The link as the list shows it: "UDP 192.168.1.20", "RS232 ttyUSB0".
QString linkText(const std::string& link) {
    const QString text = platform::toQ(link);
    if (text.startsWith(QStringLiteral("udp-")))
        return QStringLiteral("UDP ") + text.mid(4);
    if (text.startsWith(QStringLiteral("serial-")))
        return QStringLiteral("RS232 ") + text.mid(7);
    return text;
}

// The entry's time (named in UTC) in this computer's local time.
QString localTime(const hist::Stamp& s) {
    const QDateTime utc(QDate(s.year, s.month, s.day), QTime(s.hour, s.minute, s.second), Qt::UTC);
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

HistoryWindow::HistoryWindow(const QString& folder, Hooks hooks, QWidget* parent)
    : QDialog(parent), folder_(folder), hooks_(std::move(hooks)), list_(new QTableWidget(0, 3)),
      summary_(new QLabel),
      differences_(new DifferencesTable(QStringLiteral("Windows"), QStringLiteral("Entry"))),
      load_(new QPushButton(QStringLiteral("Load into Windows"))) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("History"));
    list_->setObjectName(QStringLiteral("HistoryList"));
    list_->setHorizontalHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Link"), QStringLiteral("Kind")});
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setWordWrap(false);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setAccessibleName(QStringLiteral("Configurations read and sent"));
    summary_->setObjectName(QStringLiteral("HistorySummary"));
    // The summary may repeat a file's text: never markup.
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    differences_->setObjectName(QStringLiteral("HistoryDifferences"));
    load_->setObjectName(QStringLiteral("HistoryLoad"));
    auto* openFolder = new QPushButton(QStringLiteral("Open Folder"));
    openFolder->setObjectName(QStringLiteral("HistoryOpenFolder"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("HistoryClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(load_);
    buttons->addWidget(openFolder);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 2);
    layout->addWidget(summary_);
    layout->addWidget(differences_, 3);
    layout->addLayout(buttons);
    resize(560, 520);

    connect(list_, &QTableWidget::itemSelectionChanged, this, &HistoryWindow::showSelected);
    connect(load_, &QPushButton::clicked, this, &HistoryWindow::loadSelected);
    connect(openFolder, &QPushButton::clicked, this, [this] {
        QDir().mkpath(folder_);
        platform::prompts().openUrl(QUrl::fromLocalFile(folder_).toString());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    updateButtons();
}

void HistoryWindow::showEvent(QShowEvent* event) {
    refresh();
    QDialog::showEvent(event);
}

QString HistoryWindow::pathOf(const hist::Entry& entry) const {
    return QDir(folder_).absoluteFilePath(platform::toQ(entry.name));
}

void HistoryWindow::refresh() {
    const int row = list_->currentRow();
    const std::string selected =
        row >= 0 && std::size_t(row) < entries_.size() ? entries_[std::size_t(row)].name : "";
    entries_ = platform::history::list(folder_);
    const QSignalBlocker quiet(list_);
    list_->setRowCount(0);
    list_->setRowCount(int(entries_.size()));
    int select = entries_.empty() ? -1 : 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const hist::Entry& e = entries_[i];
        const QString texts[3] = {localTime(e.stamp), linkText(e.link),
                                  platform::toQ(std::string(hist::kindName(e.kind)))};
        for (int column = 0; column < 3; ++column)
            list_->setItem(int(i), column, new QTableWidgetItem(texts[column]));
        if (e.name == selected)
            select = int(i);
    }
    list_->resizeColumnsToContents();
    if (select >= 0)
        list_->selectRow(select);
    showSelected();
}

void HistoryWindow::select(int row) {
    list_->selectRow(row);
}

void HistoryWindow::showSelected() {
    const int row = list_->currentRow();
    selectedReadable_ = false;
    if (row < 0 || std::size_t(row) >= entries_.size() || list_->selectedItems().isEmpty()) {
        summary_->setText(entries_.empty() ? QStringLiteral("No configuration has been read or "
                                                            "sent yet.")
                                           : QString());
        differences_->setDifferences({});
        updateButtons();
        return;
    }
    const hist::Entry& entry = entries_[std::size_t(row)];
    const corvane::variant::BoardFlags flags = hooks_.flags();
    const configtext::Parsed parsed = platform::history::readConfiguration(pathOf(entry), flags);
    if (!parsed.ok()) {
        summary_->setText(QStringLiteral("%1: %2").arg(platform::toQ(entry.name),
                                                       platform::toQ(parsed.message())));
        differences_->setDifferences({});
        updateButtons();
        return;
    }
    selectedReadable_ = true;
    const auto differ = corvane::compare::differences(hooks_.windows(), parsed.view, flags);
    summary_->setText(differ.empty() ? QStringLiteral("Identical")
                      : differ.size() == 1
                          ? QStringLiteral("1 setting differs")
                          : QStringLiteral("%1 settings differ").arg(differ.size()));
    differences_->setDifferences(differ);
    updateButtons();
}

void HistoryWindow::setHeld(bool held) {
    held_ = held;
    updateButtons();
}

void HistoryWindow::updateButtons() {
    load_->setEnabled(!held_ && selectedReadable_);
}

void HistoryWindow::loadSelected() {
    const int row = list_->currentRow();
    if (held_ || row < 0 || std::size_t(row) >= entries_.size())
        return;
    const hist::Entry& entry = entries_[std::size_t(row)];
    const QString path = pathOf(entry);
    const configtext::Parsed parsed = platform::history::readConfiguration(path, hooks_.flags());
    if (!parsed.ok()) {
        platform::message(
            QStringLiteral("Cannot load %1: %2").arg(path, platform::toQ(parsed.message())));
        return;
    }
    hooks_.load(parsed.view);
    showSelected();
}
