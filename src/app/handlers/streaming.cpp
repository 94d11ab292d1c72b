// Starting and stopping the stream and how it streams: "Start Stream", "Stop Stream", the
// "RTP11", "RTP12", "UDPRS" and hidden "TCPRS" menu items, the mode panel PARTP, "IAD", the
// camera type boxes, "UDPRS Mode" and the recording indicator Rec1. The decisions are core's
// (core/streaming.h); these handlers read the controls and state and run the plan.
#include "app/handlers/wiring.h"
#include "app/lamp.h"
#include "app/tform1.h"

#include "core/frames.h"
#include "core/streaming.h"
#include "ui_tform1.h"

namespace streaming = corvane::streaming;
using corvane::controls::Ctl;

void handlers::wireStreaming(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.BitBtn3, &QPushButton::clicked, &f, &TForm1::BitBtn3Click);
    QObject::connect(ui.BitBtn4, &QPushButton::clicked, &f, &TForm1::BitBtn4Click);
    QObject::connect(ui.StartRTP11, &QAction::triggered, &f, &TForm1::StartRTP11Click);
    QObject::connect(ui.StartRTP12, &QAction::triggered, &f, &TForm1::StartRTP12Click);
    QObject::connect(ui.UDPRS1, &QAction::triggered, &f, &TForm1::UDPRS1Click);
    QObject::connect(ui.CPRS1, &QAction::triggered, &f, &TForm1::CPRS1Click);
    QObject::connect(ui.PARTP, &ClickPanel::clicked, &f, &TForm1::PARTPClick);
    // These boxes are also set by the decoder, the clearing and each other: their handlers run
    // on every change of state, whoever makes it.
    QObject::connect(ui.AutoDetect, &QCheckBox::toggled, &f, &TForm1::AutoDetectClick);
    QObject::connect(ui.FixCheck, &QCheckBox::toggled, &f, &TForm1::FixCheckClick);
    QObject::connect(ui.MovCheck, &QCheckBox::toggled, &f, &TForm1::MovCheckClick);
    QObject::connect(ui.UDPRSB, &QCheckBox::toggled, &f, &TForm1::Auto_rtpClick);
    QObject::connect(ui.Auto_rtp, &QCheckBox::toggled, &f, &TForm1::Auto_rtpClick);
    QObject::connect(ui.Rec1, &ShapeIndicator::clicked, &f, &TForm1::Rec1MouseActivate);
}

void TForm1::BitBtn3Click() {
    runPlan(streaming::planStartStream(StreamingOn), QStringLiteral("Start Stream"));
}

void TForm1::BitBtn4Click() {
    runPlan(streaming::planStopStream(readControls(), StreamingOn), QStringLiteral("Stop Stream"));
}

void TForm1::StartRTP11Click() {
    runPlan(streaming::planStartRtp(corvane::frames::Stream::S11, StreamingOn));
}

void TForm1::StartRTP12Click() {
    runPlan(streaming::planStartRtp(corvane::frames::Stream::S12, StreamingOn));
}

void TForm1::UDPRS1Click() {
    runPlan(corvane::plan::Plan().send(corvane::frames::udprsMode()));
}

void TForm1::CPRS1Click() {
    runPlan(corvane::plan::Plan().send(corvane::frames::tcprsMode()));
}

void TForm1::PARTPClick() {
    runPlan(streaming::planModePanel(readControls()));
}

void TForm1::AutoDetectClick(bool checked) {
    runPlan(streaming::planAutoDetect(checked));
}

void TForm1::FixCheckClick(bool checked) {
    runPlan(streaming::planCameraBox(Ctl::FixCheck, checked, readControls()));
}

void TForm1::MovCheckClick(bool checked) {
    runPlan(streaming::planCameraBox(Ctl::MovCheck, checked, readControls()));
}

// "UDPRS Mode" and the hidden "RTP 11" box share this action. It sends nothing: the UDPRS mode
// travels with "Save Config." and the server configuration file, which read the box itself, and
// the hidden box is read by nothing.
void TForm1::Auto_rtpClick() {}

void TForm1::Rec1MouseActivate() {
    runPlan(streaming::planRecordPress(lampOf(ui->Rec1), readControls()));
}
