// Commands for the board as a whole: leaving its application, its firmware version, a reboot,
// moving its control interface between RS232 and UDP, its default configuration; and the board
// dialog. None of them waits for an acknowledgement. A send that fails on the serial port (which
// closes the port and tells the operator) ends the handler there. Those that restart or reset the
// board or move its interface (and so cut the operator off) ask first; "No" (the default) sends
// nothing.
#include "app/handlers/wiring.h"
#include "app/lamp.h"
#include "app/tform1.h"
#include "core/frames.h"
#include "core/steps.h"
#include "dialogs/tform4.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

namespace frames = corvane::frames;
namespace steps = corvane::steps;

namespace {

bool confirmed(const char* text, const char* title) {
    return platform::question(QString::fromLatin1(text), QString::fromLatin1(title));
}

// The board's control interface moved: the link on the old one goes, the display is cleared after
// it closed; the keep-alive and the streaming state stay as they are.
constexpr LinkDrop kInterfaceMoved{
    .clear = ClearDisplay::AfterClosing, .keepAlive = false, .streaming = false, .panel5 = true};

} // namespace

void handlers::wireMaintenance(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.ExitBoard1, &QAction::triggered, &f, &TForm1::ExitBoard2Click);
    QObject::connect(ui.GetFirmwareVersion1, &QAction::triggered, &f,
                     &TForm1::GetFirmwareVersion1Click);
    QObject::connect(ui.RebootBoard1, &QAction::triggered, &f, &TForm1::RebootBoard1Click);
    QObject::connect(ui.BitBtn6, &QPushButton::clicked, &f, &TForm1::BitBtn6Click);
    QObject::connect(ui.BitBtn7, &QPushButton::clicked, &f, &TForm1::BitBtn7Click);
    QObject::connect(ui.CreateDefault1, &QAction::triggered, &f, &TForm1::CreateDefault1Click);
    QObject::connect(ui.Board1, &QAction::triggered, &f, &TForm1::Board1Click);
}

// The display is cleared while the link is still open (the clearing sends nothing).
void TForm1::ExitBoard2Click() {
    if (!confirmed("Exit the board application?\n\nThe board stops streaming and answers no "
                   "command until its application is started again. The link is closed.",
                   "Exit Board Application"))
        return;
    if (!CWriteStr(frames::exitBoard()))
        return;
    paintConNot(ui->ConNot, QStringLiteral("Not Connected"), Qt::black);
    StreamingOn = false;
    restartBoard(ClearDisplay::BeforeClosing);
}

// The board answers with a text for the operator, which the reply dispatch shows.
void TForm1::GetFirmwareVersion1Click() {
    CWriteStr(frames::firmwareVersion());
}

// The link is closed before the display is cleared (the clearing sends nothing).
void TForm1::RebootBoard1Click() {
    if (!confirmed("Reboot the board?\n\nThe board stops streaming while it starts again. The "
                   "link is closed.",
                   "Reboot Board"))
        return;
    if (!CWriteStr(frames::reboot()))
        return;
    restartBoard(ClearDisplay::AfterClosing);
}

void TForm1::restartBoard(ClearDisplay clear) {
    const LinkDrop drop{.clear = clear, .lamp = true, .panel5 = true};
    const bool serial =
        keeper.chosenInterface() == LinkKeeper::Interface::Serial && ComPort1->isOpen();
    const bool udp = keeper.chosenInterface() == LinkKeeper::Interface::Udp && udpActive();
    // Reconnecting begins first: what the drop tells of the closed link is then no message box
    // that would hold the tries.
    keeper.afterRestart(serial, udp);
    if (serial)
        dropLink(CloseLink::Serial, drop);
    if (udp)
        dropLink(CloseLink::Udp, drop);
}

// "Change Interface to RS2323": the board now listens on RS232. The operator then ticks
// "RS232" and connects; the display is cleared, which sends nothing.
void TForm1::BitBtn6Click() {
    if (!confirmed("Change the board's control interface to RS232?\n\nThe board then answers on "
                   "its serial line only. The link is closed: tick \"RS232\" and connect "
                   "afterwards.",
                   "Change Interface to RS2323"))
        return;
    if (!CWriteStr(frames::controlInterface(true)))
        return;
    ui->RS232Check->setChecked(false);
    ui->UDPCheck->setChecked(false);
    dropLink(udpActive() ? CloseLink::Udp : CloseLink::None, kInterfaceMoved);
}

// "Change Interface to UDP": the serial line stays open for 200 ms after the command.
void TForm1::BitBtn7Click() {
    if (!confirmed("Change the board's control interface to UDP?\n\nThe board then answers on "
                   "UDP only. The link is closed: tick \"UDP\" and connect afterwards.",
                   "Change Interface to UDP"))
        return;
    if (!runSteps({steps::Step::send(frames::controlInterface(false)), steps::Step::pause(200)}))
        return;
    ui->RS232Check->setChecked(false);
    ui->UDPCheck->setChecked(false);
    dropLink(ComPort1->isOpen() ? CloseLink::Serial : CloseLink::None, kInterfaceMoved);
}

// Resets the configuration on the board itself, unlike "Create Default Configuration  file".
void TForm1::CreateDefault1Click() {
    if (!confirmed("Reset the board's configuration to its defaults?\n\nEvery setting on the "
                   "board is replaced by its default value. (To write a default server "
                   "configuration file instead, use \"Create Default Configuration  file\".)",
                   "Create Default"))
        return;
    CWriteStr(frames::createDefault());
}

void TForm1::Board1Click() {
    Form4->showCentred();
}
