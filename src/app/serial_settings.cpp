// The serial settings: the status line, and the "Setup" dialog.
#include "app/tform1.h"

#include "dialogs/serial_setup.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

#include <QFontMetrics>

#include <algorithm>

namespace settings = corvane::settings;

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

// Applies the settings to the port at once, also while it is open; a new name moves an open
// connection to the new device, and the operator hears when that does not open.
void TForm1::applySerialSettings(const settings::SerialSettings& settings) {
    QString error;
    if (!keeper.setSerialSettings(settings, &error)) {
        platform::message(error);
        Timer1->stop();
    }
}

QString TForm1::serialStatusText() const {
    return platform::toQ(settings::statusText(serialSettings));
}

// The status line shows the whole text where it fits. A long device path (a pseudo-terminal, a
// /dev/serial/by-id link) is shortened from its start, so that the device's own name and the
// settings behind it stay in view ("…/ttyUSB0  115200,8,N,1"); the whole text is the tooltip.
void TForm1::showLinkState(const QString& status, const QString& path) {
    QLabel* panel = ui->Panel4;
    if (status != linkStateStatus_) {
        linkStateStatus_ = status;
        const QFontMetrics fm = panel->fontMetrics();
        const int width = panel->contentsRect().width() - 2 * panel->margin() - 2;
        linkStateShown_ = status;
        if (fm.horizontalAdvance(status) > width) {
            const qsizetype at = path.isEmpty() ? -1 : status.indexOf(path);
            if (at >= 0)
                linkStateShown_ =
                    fitAroundPath(fm, status.left(at), path, status.mid(at + path.size()), width);
            if (at < 0 || linkStateShown_.isEmpty())
                linkStateShown_ = fm.elidedText(status, Qt::ElideMiddle, width);
        }
    }
    if (panel->toolTip() != status)
        panel->setToolTip(status);
    if (panel->text() != linkStateShown_)
        panel->setText(linkStateShown_);
}

void TForm1::ConfigurationClick() {
    SerialSetupDialog dialog(serialSettings, this);
    if (dialog.exec() == QDialog::Accepted)
        applySerialSettings(dialog.settings());
}
