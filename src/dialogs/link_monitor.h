#pragma once
// The link monitor: every frame sent, every piece received and every acknowledgement wait that
// ended unanswered, recorded from start-up in a ring of the newest rows (the model), and the
// window that shows them, filters them, copies them and saves them as a tab-separated file.
#include "core/link_log.h"
#include "link/board_link.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QWidget>

#include <climits>
#include <cstdint>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

class LinkMonitorModel : public QAbstractTableModel, public LinkRecorder {
    Q_OBJECT
public:
    enum Column { Time, Link, Direction, Text, Meaning, ColumnCount };

    explicit LinkMonitorModel(QObject* parent = nullptr,
                              std::size_t capacity = corvane::linklog::kRingRows);

    // Recording: the link writes into the ring, whatever is shown. The rows reach the views at
    // the next sync, which runs shortly after (or at once through sync()).
    // Forgets every row.
    void clearRows();
    // Brings the rows the views see up to date with the ring now.
    void sync();

    const corvane::linklog::Ring& ring() const { return ring_; }
    // The row shown at `row`; nullptr when it has been dropped since the last sync.
    const corvane::linklog::Row* rowAt(int row) const;
    // The row as a line of the saved file (without its line end).
    QString line(int row) const;
    // The time column: local time of day, "hh:mm:ss.zzz". The time zone is asked only when the
    // time is in another quarter of an hour than the last one asked for (offsets change on
    // quarter hours).
    QString timeText(qint64 msecsSinceEpoch) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A sync is about to change the views' rows; synced() follows when it has.
    void aboutToSync();
    // The views' rows have changed (after a sync that brought something).
    void synced();

private:
    // What the view shows of a row, made once when it is first painted and kept while it is
    // among the rows most recently shown (a slot per sequence number modulo the cache's size,
    // more than a screen holds).
    struct Shown {
        std::uint64_t tag = 0; // the row's sequence number + 1; 0: empty
        QString time, text, meaning;
    };
    const Shown& shown(std::uint64_t seq, const corvane::linklog::Row& row) const;
    void forgetShown(std::uint64_t from, std::uint64_t to);
    void scheduleSync();

    mutable std::vector<Shown> shown_;
    mutable qint64 offsetQuarter_ = INT64_MIN; // the quarter hour the offset below holds for
    mutable int utcOffset_ = 0;
    QTimer* syncTimer_;
    bool syncPending_ = false;     // the timer runs (kept here: asking the timer costs a call)
    std::uint64_t shownFirst_ = 0; // sequence number of view row 0
    int shownCount_ = 0;
    // Sequence numbers whose meaning changed since the last sync.
    std::uint64_t changedFrom_ = UINT64_MAX, changedTo_ = 0;
};

// Keeps the rows whose shown text or meaning contains the filter text.
class LinkMonitorFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setNeedle(const QString& needle);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    std::string needle_;
};

class LinkMonitorTable;

class LinkMonitorWindow : public QWidget {
    Q_OBJECT
public:
    LinkMonitorWindow(LinkMonitorModel* model, QWidget* parent = nullptr);

    QTableView* table() const;
    bool paused() const { return paused_; }
    // The list follows new rows while it shows the newest (scrolled to the bottom) and is not
    // paused; scrolled up, the rows shown stay where they are.
    bool following() const { return following_ && !paused_; }
    // The rows shown now (after the filter), as lines of the saved file.
    QStringList shownLines() const;
    // "Save As…": asks for a file name through the file dialog seam and writes the rows shown,
    // with a header line. False when cancelled or the write failed (the operator is told).
    bool saveAs();
    // Ctrl+C: the selected rows, as lines of the saved file, to the clipboard.
    void copySelection();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void togglePause();
    void updateDropped();
    void rowsArrived();
    void rowsDropped(int count);

    LinkMonitorModel* model_;
    LinkMonitorFilter* filter_;
    LinkMonitorTable* table_;
    QLineEdit* filterEdit_;
    QPushButton* pause_;
    QPushButton* clear_;
    QPushButton* save_;
    QLabel* dropped_;
    bool paused_ = false;
    bool following_ = true; // scrolled to the bottom
    int droppedAbove_ = 0;  // rows gone from the top since the last sync, while not following
    bool syncing_ = false;  // between the model's aboutToSync() and synced()
    int valueBefore_ = 0;   // the scroll bar's value before that
};
