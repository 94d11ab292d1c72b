// Reading the board's configuration and decoding the configuration reply into the windows.
#include "app/config_menus.h"
#include "app/control_map.h"
#include "app/handlers/wiring.h"
#include "app/tform1.h"
#include "app/timers.h"
#include "core/config_decode.h"
#include "core/read_plan.h"
#include "ui_tform1.h"

#include <QScopedValueRollback>

#include <utility>

void handlers::wireConfig(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.BitBtn1, &QPushButton::clicked, &f, &TForm1::BitBtn1Click);
}

// "Read Config.": opens the read, then asks for the configuration with the keep-alive stopped;
// the reply is decoded by the dispatch (over UDP within the send) and acknowledges the request.
// Missing acknowledgements are reported by the waits; the sequence goes on.
void TForm1::BitBtn1Click() {
    const corvane::config::ReadPlan plan = corvane::config::planRead();
    const BoardLink::Sequence sequence(link, QStringLiteral("Read Config."),
                                       BoardLink::countSends(plan.all()));
    if (!sequence)
        return;
    configMenus->readBegins();
    if (!runSteps(plan.open))
        return;
    Timer1->stop();
    runSteps(plan.request);
    // However the read went, the keep-alive runs again while a link is open: a board that did not
    // answer is seen again once it is back.
    if (ComPort1->isOpen() || udpActive())
        startIfStopped(Timer1);
}

// A conversion error leaves the display as the error found it and the keep-alive stopped; the
// operator sees the error's text. A read writes nothing to the board: the boxes that the reply
// ticks or clears run their handlers, which send nothing.
void TForm1::Decode_Conf(const std::string& frame) {
    // A comparison reads the board's configuration without showing it here.
    if (!configMenus->replyForWindows(frame))
        return;
    const corvane::controls::Applied applied = corvane::config::decodeConf(frame, Board);
    const QScopedValueRollback quiet(boxesSendNothing_, true);
    applyActions(applied);
    if (applied.ok()) {
        configHeld_ = true;
        // The board's configuration as read is kept in the history.
        configMenus->recordHistory(corvane::history::Kind::Read, readControls(),
                                   configMenus->historyLink());
    }
}
