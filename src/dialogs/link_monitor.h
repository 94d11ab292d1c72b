#pragma once
// The link monitor: every frame sent, every piece received and every acknowledgement wait that
// ended unanswered, recorded from start-up in a ring of the newest rows (the model), and the
// window that shows them, filters them, copies them and saves them as a tab-separated file.
#include "core/link_log.h"
#include "link/board_link.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QWidget>

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
    static QString timeText(qint64 msecsSinceEpoch);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The views' rows have changed (after a sync that brought something).
    void synced();

private:
    void scheduleSync();

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

class LinkMonitorWindow : public QWidget {
    Q_OBJECT
public:
    LinkMonitorWindow(LinkMonitorModel* model, QWidget* parent = nullptr);

    QTableView* table() const { return table_; }
    bool paused() const { return paused_; }
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

    LinkMonitorModel* model_;
    LinkMonitorFilter* filter_;
    QTableView* table_;
    QLineEdit* filterEdit_;
    QPushButton* pause_;
    QPushButton* clear_;
    QPushButton* save_;
    QLabel* dropped_;
    bool paused_ = false;
};
