#include "dialogs/link_monitor.h"

#include "platform/pacing.h"
#include "platform/prompts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace linklog = corvane::linklog;

namespace {

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString fromView(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

// ---- The model ----------------------------------------------------------------------------------

LinkMonitorModel::LinkMonitorModel(QObject* parent, std::size_t capacity)
    : QAbstractTableModel(parent), LinkRecorder(capacity), syncTimer_(new QTimer(this)) {
    syncTimer_->setSingleShot(true);
    syncTimer_->setInterval(platform::pacing::interval(100));
    connect(syncTimer_, &QTimer::timeout, this, &LinkMonitorModel::sync);
    rowsCame = [this] { scheduleSync(); };
    rowMarked = [this](std::uint64_t seq) {
        changedFrom_ = std::min(changedFrom_, seq);
        changedTo_ = std::max(changedTo_, seq);
        scheduleSync();
    };
}

void LinkMonitorModel::scheduleSync() {
    if (!syncPending_) {
        syncPending_ = true;
        syncTimer_->start();
    }
}

void LinkMonitorModel::clearRows() {
    ring_.clear();
    sync();
}

void LinkMonitorModel::sync() {
    syncTimer_->stop();
    syncPending_ = false;
    rowsTaken();
    const std::uint64_t first = ring_.firstSeq();
    const std::uint64_t next = ring_.nextSeq();
    const std::uint64_t shownEnd = shownFirst_ + static_cast<std::uint64_t>(shownCount_);
    bool changed = false;
    if (shownCount_ > 0 && first >= shownEnd) {
        // Nothing shown is kept any more.
        beginResetModel();
        shownFirst_ = first;
        shownCount_ = static_cast<int>(next - first);
        endResetModel();
        changed = true;
    } else {
        if (shownCount_ == 0)
            shownFirst_ = std::max(shownFirst_, first);
        if (first > shownFirst_) {
            const int n = static_cast<int>(first - shownFirst_);
            beginRemoveRows({}, 0, n - 1);
            shownFirst_ = first;
            shownCount_ -= n;
            endRemoveRows();
            changed = true;
        }
        const std::uint64_t end = shownFirst_ + static_cast<std::uint64_t>(shownCount_);
        const std::uint64_t from = std::max(changedFrom_, shownFirst_);
        const std::uint64_t to = std::min(changedTo_, end == 0 ? 0 : end - 1);
        if (changedFrom_ <= changedTo_ && from <= to && to < end) {
            emit dataChanged(index(static_cast<int>(from - shownFirst_), Meaning),
                             index(static_cast<int>(to - shownFirst_), Meaning));
            changed = true;
        }
        if (next > end) {
            const int n = static_cast<int>(next - end);
            beginInsertRows({}, shownCount_, shownCount_ + n - 1);
            shownCount_ += n;
            endInsertRows();
            changed = true;
        }
    }
    changedFrom_ = UINT64_MAX;
    changedTo_ = 0;
    if (changed)
        emit synced();
}

const linklog::Row* LinkMonitorModel::rowAt(int row) const {
    if (row < 0 || row >= shownCount_)
        return nullptr;
    return ring_.find(shownFirst_ + static_cast<std::uint64_t>(row));
}

QString LinkMonitorModel::timeText(qint64 msecsSinceEpoch) {
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString LinkMonitorModel::line(int row) const {
    const linklog::Row* r = rowAt(row);
    if (!r)
        return {};
    return fromUtf8(linklog::rowLine(timeText(r->msecsSinceEpoch).toStdString(), *r));
}

int LinkMonitorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCount_;
}

int LinkMonitorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LinkMonitorModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const linklog::Row* r = rowAt(index.row());
    if (!r)
        return {};
    switch (index.column()) {
    case Time:
        return timeText(r->msecsSinceEpoch);
    case Link:
        return fromView(linklog::linkName(r->link));
    case Direction:
        return fromView(linklog::directionName(r->direction));
    case Text:
        return fromUtf8(linklog::displayText(*r));
    case Meaning:
        return fromUtf8(linklog::meaning(*r));
    default:
        return {};
    }
}

QVariant LinkMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kNames[] = {"Time", "Link", "Direction", "Text", "Meaning"};
    if (section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(kNames[section]);
}

// ---- The filter ---------------------------------------------------------------------------------

void LinkMonitorFilter::setNeedle(const QString& needle) {
    const QByteArray utf8 = needle.toUtf8();
    needle_.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    invalidateFilter();
}

bool LinkMonitorFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (needle_.empty())
        return true;
    const auto* model = static_cast<const LinkMonitorModel*>(sourceModel());
    const linklog::Row* r = model->rowAt(sourceRow);
    return r && linklog::matches(*r, needle_);
}

// ---- The window ---------------------------------------------------------------------------------

LinkMonitorWindow::LinkMonitorWindow(LinkMonitorModel* model, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), filter_(new LinkMonitorFilter(this)),
      table_(new QTableView(this)), filterEdit_(new QLineEdit(this)),
      pause_(new QPushButton(QStringLiteral("Pause"), this)),
      clear_(new QPushButton(QStringLiteral("Clear"), this)),
      save_(new QPushButton(QStringLiteral("Save As\u2026"), this)), dropped_(new QLabel(this)) {
    setObjectName(QStringLiteral("LinkMonitor"));
    setWindowTitle(QStringLiteral("Link Monitor"));
    resize(900, 480);

    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    filterLabel->setBuddy(filterEdit_);
    filterEdit_->setObjectName(QStringLiteral("MonitorFilter"));
    filterEdit_->setClearButtonEnabled(true);
    filterEdit_->setAccessibleName(QStringLiteral("Filter"));
    filterEdit_->setAccessibleDescription(
        QStringLiteral("Shows only the rows whose text or meaning contains this text"));
    pause_->setObjectName(QStringLiteral("MonitorPause"));
    pause_->setAccessibleName(pause_->text());
    pause_->setAccessibleDescription(
        QStringLiteral("Stops the list from following new rows; recording goes on"));
    clear_->setObjectName(QStringLiteral("MonitorClear"));
    clear_->setAccessibleName(clear_->text());
    clear_->setAccessibleDescription(QStringLiteral("Forgets every recorded row"));
    save_->setObjectName(QStringLiteral("MonitorSaveAs"));
    save_->setAccessibleName(QStringLiteral("Save As"));
    save_->setAccessibleDescription(
        QStringLiteral("Writes the rows shown to a tab-separated text file"));
    dropped_->setObjectName(QStringLiteral("MonitorDropped"));
    dropped_->setAccessibleDescription(QStringLiteral("How many older rows were dropped"));
    dropped_->setTextFormat(Qt::PlainText);

    filter_->setSourceModel(model_);
    table_->setObjectName(QStringLiteral("MonitorTable"));
    table_->setModel(filter_);
    table_->setAccessibleDescription(
        QStringLiteral("Every frame sent, piece received and acknowledgement wait that ended "
                       "unanswered, oldest first"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    // Tab leaves the rows for the next control; the arrow keys move among them.
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(LinkMonitorModel::Time, 100);
    table_->setColumnWidth(LinkMonitorModel::Link, 60);
    table_->setColumnWidth(LinkMonitorModel::Direction, 80);
    table_->setColumnWidth(LinkMonitorModel::Text, 420);

    auto* copy = new QAction(QStringLiteral("Copy"), table_);
    copy->setObjectName(QStringLiteral("MonitorCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    table_->addAction(copy);
    connect(copy, &QAction::triggered, this, &LinkMonitorWindow::copySelection);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(filterLabel);
    buttons->addWidget(filterEdit_, 1);
    buttons->addWidget(pause_);
    buttons->addWidget(clear_);
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(table_, 1);
    layout->addWidget(dropped_);
    // Tab follows the window from the top: the filter and the buttons beside it, then the rows.
    setTabOrder(filterEdit_, pause_);
    setTabOrder(pause_, clear_);
    setTabOrder(clear_, save_);
    setTabOrder(save_, table_);

    connect(filterEdit_, &QLineEdit::textChanged, filter_, &LinkMonitorFilter::setNeedle);
    connect(pause_, &QPushButton::clicked, this, &LinkMonitorWindow::togglePause);
    connect(clear_, &QPushButton::clicked, model_, &LinkMonitorModel::clearRows);
    connect(save_, &QPushButton::clicked, this, &LinkMonitorWindow::saveAs);
    connect(model_, &LinkMonitorModel::synced, this, &LinkMonitorWindow::rowsArrived);
    updateDropped();
}

void LinkMonitorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_->sync();
    rowsArrived();
}

void LinkMonitorWindow::rowsArrived() {
    updateDropped();
    if (!paused_ && isVisible())
        table_->scrollToBottom();
}

void LinkMonitorWindow::updateDropped() {
    const std::uint64_t n = model_->ring().dropped();
    dropped_->setText(n == 0 ? QString()
                             : QStringLiteral("%1 older rows dropped (the newest %2 are kept)")
                                   .arg(n)
                                   .arg(model_->ring().capacity()));
}

void LinkMonitorWindow::togglePause() {
    paused_ = !paused_;
    pause_->setText(paused_ ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    pause_->setAccessibleName(pause_->text());
    if (!paused_)
        rowsArrived();
}

QStringList LinkMonitorWindow::shownLines() const {
    model_->sync();
    QStringList lines;
    lines.reserve(filter_->rowCount());
    for (int i = 0; i < filter_->rowCount(); ++i)
        lines << model_->line(filter_->mapToSource(filter_->index(i, 0)).row());
    return lines;
}

bool LinkMonitorWindow::saveAs() {
    const QString path = platform::prompts().saveFileName(
        QStringLiteral("Save Link Monitor"), QStringLiteral("link-monitor.txt"),
        QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return false;
    QByteArray text = QByteArray::fromStdString(corvane::linklog::headerLine()) + '\n';
    for (const QString& l : shownLines())
        text += l.toUtf8() + '\n';
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        platform::message(
            QStringLiteral("Cannot save the link monitor to %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

void LinkMonitorWindow::copySelection() {
    std::set<int> rows;
    for (const QModelIndex& i : table_->selectionModel()->selectedIndexes())
        rows.insert(filter_->mapToSource(i).row());
    QString text;
    for (const int row : rows)
        text += model_->line(row) + QLatin1Char('\n');
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}
