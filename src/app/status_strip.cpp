#include "app/status_strip.h"

#include "platform/pacing.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// `before` + `path` + `after` in at most `width` pixels, keeping the path's own name and what
// follows it in view: the leading folders give way first ("…/ttyUSB0"), then the text before the
// path, then the middle of the name. Empty when not even that fits.
QString fitAroundPath(const QFontMetrics& fm, const QString& before, const QString& path,
                      const QString& after, int width) {
    const auto fits = [&](const QString& text) { return fm.horizontalAdvance(text) <= width; };
    const QString ellipsis(QChar(0x2026));
    const QStringList parts = path.split(QLatin1Char('/'));
    const QString& name = parts.last();
    const QString folded = parts.size() > 1 ? ellipsis + QLatin1Char('/') : QString();
    for (qsizetype keep = parts.size() - 1; keep >= 1; --keep) {
        const QString text =
            before + folded + parts.mid(parts.size() - keep).join(QLatin1Char('/')) + after;
        if (fits(text))
            return text;
    }
    const QString lead = !folded.isEmpty() ? folded : before.isEmpty() ? QString() : ellipsis;
    if (fits(lead + name + after))
        return lead + name + after;
    const QString cut =
        fm.elidedText(name, Qt::ElideMiddle, width - fm.horizontalAdvance(lead + after));
    // Less than a few characters of the name says nothing.
    if (cut.size() < std::min<qsizetype>(name.size(), 4))
        return {};
    return lead + cut + after;
}

} // namespace

StatusStrip::StatusStrip(QStatusBar* bar, QLabel* linkLine)
    : QWidget(bar), bar_(bar), line_(linkLine), noteTimer_(new QTimer(this)),
      progress_(new QLabel(this)), cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      esc_(new QShortcut(QKeySequence(Qt::Key_Escape), this)) {
    setObjectName(QStringLiteral("StatusStrip"));
    // Texts from the board and from files are shown as they are, never as markup.
    line_->setTextFormat(Qt::PlainText);
    progress_->setTextFormat(Qt::PlainText);

    noteTimer_->setSingleShot(true);
    // Long enough to be read, also where tests shrink time.
    noteTimer_->setInterval(std::max(platform::pacing::interval(5000), 1000));
    connect(noteTimer_, &QTimer::timeout, this, [this] {
        note_.clear();
        notePath_.clear();
        showLine();
    });

    progress_->setObjectName(QStringLiteral("SequenceProgress"));
    progress_->setAccessibleDescription(QStringLiteral("Progress of the running sequence"));
    cancel_->setObjectName(QStringLiteral("SequenceCancel"));
    cancel_->setAccessibleDescription(QStringLiteral("Stops the running sequence (Esc)"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(progress_);
    layout->addWidget(cancel_);
    progress_->hide();
    cancel_->hide();
    // As tall without the progress as with it: the status bar, and the form above it, keep their
    // size when a sequence starts or ends (a change of size would repaint the whole window).
    setMinimumHeight(cancel_->sizeHint().height());
    esc_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, &StatusStrip::cancelRequested);
    connect(esc_, &QShortcut::activated, this, &StatusStrip::cancelRequested);
    bar_->addPermanentWidget(this);

    // A note shown for a while ("Busy: Save Config. is running") gives the bar back to the last
    // sequence's result when it goes.
    connect(bar_, &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty() && !result_.isEmpty())
            bar_->showMessage(result_);
    });
    // The window shows the status tips of its menus and controls in the bar.
    bar_->window()->installEventFilter(this);
}

void StatusStrip::showLinkState(const QString& status, const QString& path) {
    state_ = status;
    statePath_ = path;
    showLine();
}

void StatusStrip::clearLinkState() {
    line_->clear();
}

void StatusStrip::showNote(const QString& text, const QString& path) {
    note_ = text;
    notePath_ = path;
    noteTimer_->start();
    showLine();
}

// The line shows the whole text where it fits. A long device path (a pseudo-terminal, a
// /dev/serial/by-id link) is shortened from its start, so that the device's own name and the
// settings behind it stay in view ("…/ttyUSB0  115200,8,N,1"); the whole text is the tooltip.
void StatusStrip::showLine() {
    const bool noted = !note_.isEmpty();
    const QString& text = noted ? note_ : state_;
    const QString& path = noted ? notePath_ : statePath_;
    if (text != fittedFor_) {
        fittedFor_ = text;
        const QFontMetrics fm = line_->fontMetrics();
        const int width = line_->contentsRect().width() - 2 * line_->margin() - 2;
        fitted_ = text;
        if (fm.horizontalAdvance(text) > width) {
            const qsizetype at = path.isEmpty() ? -1 : text.indexOf(path);
            if (at >= 0)
                fitted_ = fitAroundPath(fm, text.left(at), path, text.mid(at + path.size()), width);
            if (at < 0 || fitted_.isEmpty())
                fitted_ = fm.elidedText(text, Qt::ElideMiddle, width);
        }
    }
    if (line_->toolTip() != text)
        line_->setToolTip(text);
    if (line_->text() != fitted_)
        line_->setText(fitted_);
}

void StatusStrip::showProgress(const QString& name, int sent, int total) {
    progress_->setText(QStringLiteral("%1: %2 of %3").arg(name).arg(sent).arg(total));
    progress_->show();
    cancel_->show();
    esc_->setEnabled(true);
}

void StatusStrip::showSequenceEnd(const QString& result) {
    progress_->hide();
    cancel_->hide();
    // As tall without the progress as with it: the status bar, and the form above it, keep their
    // size when a sequence starts or ends (a change of size would repaint the whole window).
    setMinimumHeight(cancel_->sizeHint().height());
    esc_->setEnabled(false);
    result_ = result;
    tipShown_ = false;
    if (result.isEmpty())
        bar_->clearMessage();
    else
        bar_->showMessage(result);
}

// The result of the last sequence stays in the status bar until the next one: a menu or control
// without a status tip of its own (the window's menus have none) sends an empty tip as the
// pointer moves over it, which would erase it. A tip with text is shown while it lasts, and the
// result comes back after it.
bool StatusStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        if (static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
            if (std::exchange(tipShown_, false))
                bar_->showMessage(result_);
            return true;
        }
        tipShown_ = true;
    }
    return QWidget::eventFilter(watched, event);
}
