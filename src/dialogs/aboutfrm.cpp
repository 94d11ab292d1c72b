#include "dialogs/aboutfrm.h"

#include "platform/prompts.h"
#include "platform/screen.h"
#include "ui_aboutfrm.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>

const QString TAboutfrm::kMakerAddress = QStringLiteral("https://www.corvane.example/");

namespace {

const QColor kLightBlue(166, 202, 240);

const char* const kAboutText = "The operator's program for the Corvane\n"
                               "and Corvane Lumo video encoder\n"
                               "and streaming boards.\n"
                               "\n"
                               "It configures the board over RS232 or UDP\n"
                               "and starts and stops streaming and recording.";

} // namespace

TAboutfrm::TAboutfrm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutfrm>()) {
    ui->setupUi(this);
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(size());

    QPalette pal = palette();
    pal.setColor(QPalette::Window, kLightBlue);
    setPalette(pal);
    setAutoFillBackground(true);

    QPalette memo = ui->Memo1->palette();
    memo.setColor(QPalette::Base, Qt::white);
    ui->Memo1->setPalette(memo);
    ui->Memo1->setPlainText(QString::fromLatin1(kAboutText));
    QTextCursor all(ui->Memo1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);

    // The address looks like a link: blue and underlined; only the pointer changes on hover.
    ui->Label3->setText(kMakerAddress);
    ui->Label3->setAccessibleName(kMakerAddress);
    QFont linkFont = ui->Label3->font();
    linkFont.setUnderline(true);
    ui->Label3->setFont(linkFont);
    QPalette link = ui->Label3->palette();
    link.setColor(QPalette::WindowText, Qt::blue);
    ui->Label3->setPalette(link);
    ui->Label3->installEventFilter(this);

    connect(ui->BitBtn1, &QPushButton::clicked, this, &TAboutfrm::BitBtn1Click);
}

TAboutfrm::~TAboutfrm() = default;

void TAboutfrm::setVersionText(const QString& text) {
    ui->Label2->setText(text);
}

QString TAboutfrm::versionText() const {
    return ui->Label2->text();
}

// The banner (a band in the logo's blues across the whole width, the logo at its left end) is
// drawn when the box is first shown: most runs never open it.
void TAboutfrm::setLogo(const QPixmap& logo) {
    logo_ = logo;
    setWindowIcon(logo);
}

void TAboutfrm::showEvent(QShowEvent* event) {
    if (ui->Image1->pixmap().isNull() && !logo_.isNull())
        drawBanner();
    QDialog::showEvent(event);
}

void TAboutfrm::drawBanner() {
    QPixmap banner(ui->Image1->size());
    QPainter painter(&banner);
    QLinearGradient band(0, 0, banner.width(), 0);
    band.setColorAt(0, QColor(20, 50, 120));
    band.setColorAt(1, QColor(90, 150, 230));
    painter.fillRect(banner.rect(), band);
    const QSize side = logo_.size().scaled(banner.size() - QSize(16, 16), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(QPoint(8, (banner.height() - side.height()) / 2), side), logo_);
    painter.end();
    ui->Image1->setPixmap(banner);
}

void TAboutfrm::showCentred() {
    platform::showCentred(this);
}

// The desktop opens the address with its web browser; whether it could is not checked.
void TAboutfrm::Label3Click() {
    platform::prompts().openUrl(kMakerAddress);
}

void TAboutfrm::Label3MouseEnter() {
    setCursor(Qt::PointingHandCursor);
}

void TAboutfrm::Label3MouseLeave() {
    unsetCursor();
}

void TAboutfrm::BitBtn1Click() {
    hide();
}

bool TAboutfrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Label3) {
        switch (event->type()) {
        case QEvent::Enter:
            Label3MouseEnter();
            break;
        case QEvent::Leave:
            Label3MouseLeave();
            break;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && ui->Label3->rect().contains(mouse->pos()))
                Label3Click();
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
