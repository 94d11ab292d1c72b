// Commands for the board as a whole: leaving its application, its firmware version, a reboot,
// moving its control interface between RS232 and UDP, its default configuration; and the board
// dialog. None of them waits for an acknowledgement. A send that fails on the serial port (which
// closes the port and tells the operator) ends the handler there.
#include "app/tform1.h"
#include "core/frames.h"
#include "core/steps.h"
#include "dialogs/tform4.h"
#include "ui_tform1.h"

namespace frames = corvane::frames;
namespace cs = corvane::steps;

void TForm1::wireMaintenance() {
    connect(ui->ExitBoard1, &QAction::triggered, this, &TForm1::ExitBoard2Click);
    connect(ui->GetFirmwareVersion1, &QAction::triggered, this, &TForm1::GetFirmwareVersion1Click);
    connect(ui->RebootBoard1, &QAction::triggered, this, &TForm1::RebootBoard1Click);
    connect(ui->BitBtn6, &QPushButton::clicked, this, &TForm1::BitBtn6Click);
    connect(ui->BitBtn7, &QPushButton::clicked, this, &TForm1::BitBtn7Click);
    connect(ui->CreateDefault1, &QAction::triggered, this, &TForm1::CreateDefault1Click);
    connect(ui->Board1, &QAction::triggered, this, &TForm1::Board1Click);
}

// Disconnected and not streaming: the keep-alive stopped, the lamp grey, the status panel empty.
void TForm1::resetStatus() {
    setConNot(QStringLiteral("Not Connected"), Qt::black);
    StreamingOn = false;
    Timer1->stop();
    setLamp(corvane::controls::Lamp::Grey);
    ui->Panel5->clear();
}

// The display is cleared while the link is still open, so the commands of the check boxes it
// clears still reach the board before it leaves its application.
void TForm1::ExitBoard2Click() {
    if (!CWriteStr(frames::exitBoard()))
        return;
    setConNot(QStringLiteral("Not Connected"), Qt::black);
    StreamingOn = false;
    if (ui->RS232Check->isChecked() && ComPort1->isOpen()) {
        ClearUI();
        ComPort1->close();
        resetStatus();
    }
    if (ui->UDPCheck->isChecked() && udpActive()) {
        ClearUI();
        Uc->abort();
        resetStatus();
    }
}

// The board answers with a text for the operator, which the reply dispatch shows.
void TForm1::GetFirmwareVersion1Click() {
    CWriteStr(frames::firmwareVersion());
}

// The link is closed before the display is cleared: a command of a check box that the clearing
// clears meets the closed link and the operator is told so.
void TForm1::RebootBoard1Click() {
    if (!CWriteStr(frames::reboot()))
        return;
    if (ui->RS232Check->isChecked() && ComPort1->isOpen()) {
        Timer1->stop();
        ComPort1->close();
        setConNot(QStringLiteral("Not Connected"), Qt::black);
        StreamingOn = false;
        ClearUI();
        setLamp(corvane::controls::Lamp::Grey);
        ui->Panel5->clear();
    }
    if (ui->UDPCheck->isChecked() && udpActive()) {
        Uc->abort();
        setConNot(QStringLiteral("Not Connected"), Qt::black);
        StreamingOn = false;
        ClearUI();
        Timer1->stop();
        setLamp(corvane::controls::Lamp::Grey);
        ui->Panel5->clear();
    }
}

// "Change Interface to RS2323": the board now listens on RS232. The operator then ticks
// "RS232" and connects; with both boxes clear, what the clearing sends goes nowhere.
void TForm1::BitBtn6Click() {
    if (!CWriteStr(frames::controlInterface(true)))
        return;
    ui->RS232Check->setChecked(false);
    ui->UDPCheck->setChecked(false);
    if (udpActive())
        Uc->abort();
    setConNot(QStringLiteral("Not Connected"), Qt::black);
    ui->Panel5->clear();
    ClearUI();
}

// "Change Interface to UDP": the serial line stays open for 200 ms after the command.
void TForm1::BitBtn7Click() {
    if (!runSteps({cs::Step::send(frames::controlInterface(false)), cs::Step::pause(200)}))
        return;
    ui->RS232Check->setChecked(false);
    ui->UDPCheck->setChecked(false);
    if (ComPort1->isOpen())
        ComPort1->close();
    setConNot(QStringLiteral("Not Connected"), Qt::black);
    ui->Panel5->clear();
    ClearUI();
}

void TForm1::CreateDefault1Click() {
    CWriteStr(frames::createDefault());
}

void TForm1::Board1Click() {
    Form4->showCentred();
}
