// The main window: creation, wiring, start-up, the idle status display and closing.
#include "app/tform1.h"
#include "app/config_menus.h"
#include "app/handlers/wiring.h"
#include "app/link_menus.h"
#include "app/settings_files.h"
#include "core/inputs.h"

#include "app/control_map.h"
#include "app/lamp.h"
#include "app/logo.h"
#include "app/status_strip.h"
#include "app/value_marks.h"
#include "core/frames.h"
#include "core/settings.h"
#include "corvane/buildinfo.h"
#include "dialogs/aboutfrm.h"
#include "dialogs/tform2.h"
#include "dialogs/tform3.h"
#include "dialogs/tform4.h"
#include "dialogs/tform5.h"
#include "platform/files.h"
#include "platform/pacing.h"
#include "platform/prompts.h"
#include "platform/screen.h"
#include "ui_tform1.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QScrollArea>

#include <algorithm>

using corvane::controls::Window;

namespace {

// A catalogue control missing from its window, or of another kind, is a fault of the build: a
// debug build stops as soon as the window (or the dialog) is built, a release build says so in
// its log.
void requireControls(const ControlMap& controls) {
    if (controls.problems().isEmpty())
        return;
    const QByteArray names = controls.problems().join(QStringLiteral(", ")).toLatin1();
#ifdef QT_NO_DEBUG
    qCritical("Controls missing from the windows or of another kind: %s", names.constData());
#else
    qFatal("Controls missing from the windows or of another kind: %s", names.constData());
#endif
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()) {
    ui->setupUi(this);
    // The UDP, recording and RTP dialogs build their widgets when first shown or reached.
    Form2 = std::make_unique<TForm2>();
    Form3 = std::make_unique<TForm3>();
    Form4 = std::make_unique<TForm4>();
    Form5 = std::make_unique<TForm5>();
    // The About box (built when it is first asked for) and the window icon show the same
    // 64 x 64 logo; it is drawn once.
    logo_ = makeLogo(QSize(64, 64));
    const QPixmap& logo = logo_;
    // The recording and RTP dialogs' controls are held as values until their widgets are built;
    // asking for one of their widgets builds the dialog.
    controls_ = std::make_unique<ControlMap>(this, [this](Window window) {
        if (window == Window::Recording)
            Form3->build();
        else if (window == Window::Rtp)
            Form5->build();
    });
    requireControls(*controls_);
    const auto attach = [this](Window window, QDialog* dialog) {
        controls_->attach(window, dialog);
        requireControls(*controls_);
        watchValues(*controls_, window);
    };
    connect(Form3.get(), &TForm3::built, this,
            [this, attach] { attach(Window::Recording, Form3.get()); });
    connect(Form5.get(), &TForm5::built, this,
            [this, attach] { attach(Window::Rtp, Form5.get()); });
    keeper.startKeepAlive(); // it ticks from the start; it sends only while a link is open
    searchNoteTimer_ = new QTimer(this);
    searchNoteTimer_->setSingleShot(true);
    searchNoteTimer_->setInterval(platform::pacing::interval(2000));
    applyLook(logo);
    strip_ = new StatusStrip(statusBar(), ui->Panel4);
    wire();
    // Sized once the status bar holds what the sequences put in it, so that the whole window,
    // status bar included, is what fits the screen.
    platform::fitToScreen(this, sizeHint());
    // FormCreate: the idle handler runs each time the event queue empties.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TForm1::IdleProc);
}

// The link, the search and the keeper outlive the window's widgets by a moment: nothing they report
// then reaches the window.
TForm1::~TForm1() {
    link.blockSignals(true);
    link.setRecorder(nullptr);
    search.blockSignals(true);
    keeper.blockSignals(true);
}

namespace {

// The form's fixed-geometry controls inside the window: they scroll where the screen is too small
// for the whole form. It asks for the form's whole size.
class FormScroll : public QScrollArea {
public:
    explicit FormScroll(QWidget* parent) : QScrollArea(parent) {
        setObjectName(QStringLiteral("FormScroll"));
        setFrameShape(QFrame::NoFrame);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Tab goes from control to control of the form (each scrolled into view), never to the
        // scroll area itself.
        setFocusPolicy(Qt::NoFocus);
    }
    QSize sizeHint() const override { return widget() ? widget()->size() : QSize(); }
};

} // namespace

// Colours, fonts and pictures the form file cannot carry.
void TForm1::applyLook(const QPixmap& logo) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    setPalette(pal);
    centralWidget()->setAutoFillBackground(true);
    centralWidget()->setPalette(pal);
    centralWidget()->setFixedSize(440, 799);
    // The stream groups show their captions in fuchsia 10 pt; their controls keep the window's
    // look.
    for (CaptionGroupBox* group : {ui->GroupBox1, ui->GroupBox2})
        group->setCaptionLook(QColor(255, 0, 255), 10);
    ui->Image1->setPixmap(makeLogo(ui->Image1->size()));
    setWindowIcon(logo);
    // Every control carries its caption or label as its accessible name (set in the form file).
    // The menu bar and the status bar stay in the window, outside the scrolling form; the window
    // opens at its whole size where the screen has room for it, and inside the screen anyway.
    auto* scroll = new FormScroll(this);
    scroll->setPalette(pal);
    scroll->viewport()->setAutoFillBackground(true);
    scroll->setWidget(takeCentralWidget());
    setCentralWidget(scroll);
}

void TForm1::wire() {
    Form2->setStore([this] { return AppDir; });
    // A saved UDP configuration empties the status line.
    connect(Form2.get(), &TForm2::saved, ui->Panel4, &QLabel::clear);
    // The resolution floor that the input now selected for stream 11 or 12 sets, by the board
    // flags (0: none); the recording dialog applies it when the operator picks a resolution.
    Form3->setInputFloor([this](int stream) {
        return corvane::inputs::selectedInputFloor(
            Board, stream == 12 ? corvane::variant::Channel::Ch12 : corvane::variant::Channel::Ch11,
            readControls());
    });
    connect(Form5.get(), &TForm5::sdpRequested, this, &TForm1::writeSdpFile);
    connect(ui->Recording1, &QAction::triggered, Form3.get(), &TForm3::showCentred);
    connect(ui->RTP1, &QAction::triggered, Form5.get(), &TForm5::showCentred);
    connect(Form4.get(), &TForm4::fullBoardChosen, this, [this](bool full) {
        Board.fullBoard = full;
        Board.boardVariant = full ? 0 : 1;
    });
    connect(Form4.get(), &TForm4::saveRequested, this, &TForm1::saveBoard);
    connect(Form4.get(), &TForm4::assemblyRequested, this,
            [this] { CWriteStr(corvane::frames::assemblyDetect()); });
    connect(ui->Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(ui->ClearUIB, &QAction::triggered, this, &TForm1::ClearUIBClick);
    connect(ui->About1, &QAction::triggered, this, &TForm1::About1Click);
    connect(ui->Panel5, &ClickPanel::clicked, this, &TForm1::Panel5Click);
    wireLink();
    for (auto wireSubsystem :
         {handlers::wireInputs, handlers::wireConfig, handlers::wireSave, handlers::wireUpdates,
          handlers::wireNetwork, handlers::wireStreaming, handlers::wireFiles,
          handlers::wireMaintenance})
        wireSubsystem(*this, *ui);
    linkMenus = new LinkMenus(*this, *ui->File1, link, keeper);
    configMenus = new ConfigMenus(*this, *ui, *strip_,
                                  [this](const std::string& reply) { Decode_Conf(reply); });
    handlers::wireKeyboard(*this, *ui);
    watchValues(*controls_, Window::Main);
}

void TForm1::GetBuildInfo(std::uint16_t& major, std::uint16_t& minor, std::uint16_t& release,
                          std::uint16_t& build) {
    major = corvane::kVersionMajor;
    minor = corvane::kVersionMinor;
    release = corvane::kVersionRelease;
    build = corvane::kVersionBuild;
}

namespace {

// The four numbers of GetBuildInfo joined by ".", as the title and the About box show them.
QString versionText() {
    std::uint16_t major, minor, release, build;
    TForm1::GetBuildInfo(major, minor, release, build);
    return QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(release).arg(build);
}

} // namespace

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // Start-up runs once the window is on the screen, so its messages appear over it.
        QMetaObject::invokeMethod(this, &TForm1::FormShow, Qt::QueuedConnection);
    }
}

// Start-up: the settings files of the working directory, then the version in the title.
void TForm1::FormShow() {
    AppDir = QDir::currentPath();
    settingsfiles::loadSerial(*this);
    Form2->load(AppDir);
    if (const auto effect = settingsfiles::readBoard(AppDir, Board)) {
        // The board dialog's boxes first (their handlers set the variant flags), then the variant.
        Form4->setFullBoard(effect->flags.fullBoard);
        applyVariant(*effect);
    }
    setWindowTitle(windowTitle() + QStringLiteral("       ver ") + versionText());
}

// The link state line (a note stands ahead of it while it lasts) and the streaming panel.
void TForm1::IdleProc() {
    if (!keeper.status().isEmpty()) {
        strip_->showLinkState(keeper.status(), platform::toQ(serialSettings.portName));
    } else if (ComPort1->isOpen()) {
        strip_->showLinkState(platform::toQ(corvane::settings::statusText(serialSettings)),
                              platform::toQ(serialSettings.portName));
    } else {
        strip_->showLinkState(udpActive() ? QStringLiteral("UDP Connected")
                                          : QStringLiteral("Not Connected"));
    }
    // "Streaming" never stands beside a grey lamp, which says that the stream state is not known
    // (the display was cleared, or the board was told to stop).
    if (StreamingOn && lampOf(ui->Rec1) != corvane::controls::Lamp::Grey) {
        if (ui->Panel5->text() != QLatin1String("Streaming"))
            ui->Panel5->setText(QStringLiteral("Streaming"));
    } else if (!search.active && !searchNoteTimer_->isActive() && !ui->Panel5->text().isEmpty()) {
        ui->Panel5->clear();
    }
}

// A click on the streaming panel marks the stream as running or not, and shows it at once:
// "Streaming" with a green lamp, or neither.
void TForm1::Panel5Click() {
    StreamingOn = !StreamingOn;
    paintLamp(ui->Rec1,
              StreamingOn ? corvane::controls::Lamp::Green : corvane::controls::Lamp::Grey);
    if (StreamingOn)
        ui->Panel5->setText(QStringLiteral("Streaming"));
    else if (!search.active && !searchNoteTimer_->isActive())
        ui->Panel5->clear();
}

void TForm1::Exit1Click() {
    close();
}

// The About box shows the version of this build each time it opens.
void TForm1::About1Click() {
    aboutfrm()->setVersionText(QStringLiteral("Version ") + versionText());
    aboutfrm()->showCentred();
}

TForm2* TForm1::form2() const {
    Form2->build();
    return Form2.get();
}

TForm3* TForm1::form3() const {
    Form3->build();
    return Form3.get();
}

TForm5* TForm1::form5() const {
    Form5->build();
    return Form5.get();
}

// Built on first use: most runs never open it.
TAboutfrm* TForm1::aboutfrm() {
    if (!Aboutfrm) {
        Aboutfrm = std::make_unique<TAboutfrm>();
        Aboutfrm->setLogo(logo_);
    }
    return Aboutfrm.get();
}

void TForm1::ClearUIBClick() {
    ClearUI();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A sequence still on the stack ends first; the window closes once it has unwound.
    if (link.sequenceRunning()) {
        // A sequence the operator sees is stopped only when asked for ("No", the default, keeps
        // it and the window).
        if (link.sequenceShown() && !closeAfterSequence_ &&
            !platform::question(
                QStringLiteral("%1 is running.\n\nStop it and quit?").arg(link.sequence().name),
                QStringLiteral("Exit"))) {
            event->ignore();
            return;
        }
        closeAfterSequence_ = true;
        link.cancelSequence();
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    QApplication::quit();
}

// Closing stores the serial settings in the directory that is current at that moment.
void TForm1::FormClose() {
    AppDir = QDir::currentPath();
    settingsfiles::storeSerial(*this);
}
