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
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <set>
#include <utility>

namespace linklog = corvane::linklog;

namespace {

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString fromView(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Rows kept formatted for the view: more than a screen holds.
constexpr std::size_t kShownRows = 512;

} // namespace

// The table of the monitor. A row that comes while the list is laid out anew would repaint every
// row shown; rows added at the end repaint only where they appear (and a scroll to them moves
// the rows already painted).
class LinkMonitorTable : public QTableView {
public:
    using QTableView::QTableView;

    void doItemsLayout() override {
        const int from = std::exchange(appendedFrom_, -1);
        const bool relayout = std::exchange(relayout_, false);
        if (from < 0 || relayout) {
            QTableView::doItemsLayout();
            return;
        }
        updateGeometries();
        const int top = rowViewportPosition(from);
        if (top < viewport()->height())
            viewport()->update(0, std::max(top, 0), viewport()->width(),
                               viewport()->height() - std::max(top, 0));
    }

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override {
        if (end == model()->rowCount(parent) - 1 && !parent.isValid())
            appendedFrom_ = appendedFrom_ < 0 ? start : std::min(appendedFrom_, start);
        else
            relayout_ = true;
        QTableView::rowsInserted(parent, start, end);
    }
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override {
        relayout_ = true;
        QTableView::rowsAboutToBeRemoved(parent, start, end);
    }
    void reset() override {
        relayout_ = true;
        QTableView::reset();
    }

private:
    int appendedFrom_ = -1; // the first row added at the end since the last layout
    bool relayout_ = false; // anything else changed since: every row is laid out anew
};

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
    const auto change = [&] {
        if (!std::exchange(changed, true))
            emit aboutToSync();
    };
    if (shownCount_ > 0 && first >= shownEnd) {
        // Nothing shown is kept any more.
        change();
        beginResetModel();
        shownFirst_ = first;
        shownCount_ = static_cast<int>(next - first);
        endResetModel();
    } else {
        if (shownCount_ == 0)
            shownFirst_ = std::max(shownFirst_, first);
        if (first > shownFirst_) {
            const int n = static_cast<int>(first - shownFirst_);
            change();
            beginRemoveRows({}, 0, n - 1);
            shownFirst_ = first;
            shownCount_ -= n;
            endRemoveRows();
        }
        forgetShown(changedFrom_, changedTo_);
        const std::uint64_t end = shownFirst_ + static_cast<std::uint64_t>(shownCount_);
        const std::uint64_t from = std::max(changedFrom_, shownFirst_);
        const std::uint64_t to = std::min(changedTo_, end == 0 ? 0 : end - 1);
        if (changedFrom_ <= changedTo_ && from <= to && to < end) {
            change();
            emit dataChanged(index(static_cast<int>(from - shownFirst_), Meaning),
                             index(static_cast<int>(to - shownFirst_), Meaning));
        }
        if (next > end) {
            const int n = static_cast<int>(next - end);
            change();
            beginInsertRows({}, shownCount_, shownCount_ + n - 1);
            shownCount_ += n;
            endInsertRows();
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

QString LinkMonitorModel::timeText(qint64 msecsSinceEpoch) const {
    constexpr qint64 kQuarter = 15 * 60 * 1000;
    const qint64 quarter = msecsSinceEpoch >= 0 ? msecsSinceEpoch / kQuarter
                                                : -((-msecsSinceEpoch - 1) / kQuarter) - 1;
    if (quarter != offsetQuarter_) {
        offsetQuarter_ = quarter;
        utcOffset_ = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).offsetFromUtc();
    }
    return fromUtf8(linklog::clockText(msecsSinceEpoch, utcOffset_));
}

const LinkMonitorModel::Shown& LinkMonitorModel::shown(std::uint64_t seq,
                                                       const linklog::Row& row) const {
    if (shown_.empty())
        shown_.resize(kShownRows);
    Shown& s = shown_[static_cast<std::size_t>(seq % kShownRows)];
    if (s.tag != seq + 1) {
        s.tag = seq + 1;
        s.time = timeText(row.msecsSinceEpoch);
        s.text = fromUtf8(linklog::displayText(row));
        s.meaning = fromUtf8(linklog::meaning(row));
    }
    return s;
}

// Rows whose meaning changed are formatted again when next shown.
void LinkMonitorModel::forgetShown(std::uint64_t from, std::uint64_t to) {
    if (shown_.empty() || from > to)
        return;
    if (to - from >= kShownRows) {
        for (Shown& s : shown_)
            s.tag = 0;
        return;
    }
    for (std::uint64_t seq = from; seq <= to; ++seq) {
        Shown& s = shown_[static_cast<std::size_t>(seq % kShownRows)];
        if (s.tag == seq + 1)
            s.tag = 0;
    }
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
        return shown(shownFirst_ + static_cast<std::uint64_t>(index.row()), *r).time;
    case Link:
        return fromView(linklog::linkName(r->link));
    case Direction:
        return fromView(linklog::directionName(r->direction));
    case Text:
        return shown(shownFirst_ + static_cast<std::uint64_t>(index.row()), *r).text;
    case Meaning:
        return shown(shownFirst_ + static_cast<std::uint64_t>(index.row()), *r).meaning;
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
      table_(new LinkMonitorTable(this)), filterEdit_(new QLineEdit(this)),
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
    // By pixels: rows that come or go move nothing in sight while the operator reads.
    table_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
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

    connect(filterEdit_, &QLineEdit::textChanged, this, [this](const QString& needle) {
        const bool follow = following();
        filter_->setNeedle(needle);
        if (follow)
            table_->scrollToBottom();
    });
    // Scrolled to the bottom, the list follows; scrolled up, it stays. What the view does to the
    // scroll bar while the rows change is not the operator's.
    QScrollBar* bar = table_->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (!syncing_)
            following_ = value >= bar->maximum();
    });
    connect(model_, &LinkMonitorModel::aboutToSync, this, [this, bar] {
        syncing_ = true;
        valueBefore_ = bar->value();
    });
    connect(filter_, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                if (first == 0)
                    rowsDropped(last - first + 1);
            });
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

QTableView* LinkMonitorWindow::table() const {
    return table_;
}

void LinkMonitorWindow::rowsArrived() {
    updateDropped();
    const int above = std::exchange(droppedAbove_, 0);
    const bool synced = std::exchange(syncing_, false);
    if (!isVisible())
        return;
    if (following()) {
        table_->scrollToBottom();
    } else if (synced) {
        // The rows being read stay where they are on the screen, also when the oldest went.
        table_->verticalScrollBar()->setValue(
            std::max(0, valueBefore_ - above * table_->verticalHeader()->defaultSectionSize()));
    }
}

// The oldest rows shown went for room (or were cleared).
void LinkMonitorWindow::rowsDropped(int count) {
    if (!following())
        droppedAbove_ += count;
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
    if (!paused_) {
        following_ = true; // back to the newest
        rowsArrived();
    }
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
