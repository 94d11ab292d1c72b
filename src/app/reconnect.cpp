// Reconnecting by itself, when "Reconnect Automatically" is ticked: a serial device that went
// away is opened again every second; after "Reboot Board !!!!" or "&Exit Board Application" the
// link that was closed is opened again and the board probed every 2 s, for at most 2 minutes,
// until it answers. Unticked, none of this runs.
#include "app/tform1.h"
#include "app/timers.h"

#include "core/frames.h"
#include "dialogs/tform2.h"
#include "platform/files.h"
#include "platform/pacing.h"
#include "ui_tform1.h"

#include <QAction>

namespace {

constexpr int kSerialRetryMs = 1000;
constexpr int kProbeEveryMs = 2000;
constexpr int kRestartProbes = 60; // 2 minutes of probes every 2 s
constexpr int kUdpProbeWaitMs = 500;

} // namespace

bool TForm1::reconnecting() const {
    return reconnect_ != Reconnect::Idle;
}

QString TForm1::udpTarget() const {
    return platform::toQ(Form2->endpoint().boardIp);
}

// The serial device went away (the link has been dropped and the operator told).
void TForm1::reconnectAfterLoss() {
    if (!reconnectAction_->isChecked())
        return;
    reconnect_ = Reconnect::SerialLost;
    reconnectStatus_ =
        QStringLiteral("Reconnecting to %1\u2026").arg(platform::toQ(serialSettings.portName));
    reconnectTimer_->start(platform::pacing::interval(kSerialRetryMs));
}

// The board was told to reboot or to leave its application, and the links named were closed.
void TForm1::reconnectAfterRestart(bool serial, bool udp) {
    if (!reconnectAction_->isChecked() || (!serial && !udp))
        return;
    reconnect_ = Reconnect::Restart;
    restartSerial_ = serial;
    restartUdp_ = udp;
    restartTicks_ = 0;
    reconnectStatus_ = QStringLiteral("Reconnecting to %1\u2026")
                           .arg(serial ? platform::toQ(serialSettings.portName) : udpTarget());
    reconnectTimer_->start(platform::pacing::interval(kProbeEveryMs));
}

// Ends the tries; `note` stays in the status line for a moment.
void TForm1::stopReconnect(const QString& note) {
    reconnectTimer_->stop();
    reconnect_ = Reconnect::Idle;
    reconnectStatus_ = note;
    if (!note.isEmpty())
        reconnectNoteTimer_->start();
}

// The link is as after "Connect ": the keep-alive runs.
void TForm1::reconnected(const QString& target) {
    startIfStopped(Timer1);
    stopReconnect(QStringLiteral("Reconnected to %1").arg(target));
}

void TForm1::reconnectTick() {
    if (reconnect_ == Reconnect::SerialLost) {
        // Quietly: a device that is still away is no news to the operator.
        if (!ComPort1->isOpen() && link.openSerial(nullptr))
            reconnected(platform::toQ(serialSettings.portName));
        else if (ComPort1->isOpen())
            stopReconnect();
        return;
    }
    if (reconnect_ != Reconnect::Restart)
        return;
    if (restartSerial_) {
        // The probe sent at the tick before has had its 2 s: its answer sets ReplySeen.
        if (ComPort1->isOpen() && ReplySeen && ui->RS232Check->isChecked()) {
            reconnected(platform::toQ(serialSettings.portName));
            return;
        }
    }
    if (++restartTicks_ > kRestartProbes) {
        const QString target =
            restartSerial_ ? platform::toQ(serialSettings.portName) : udpTarget();
        if (restartSerial_)
            link.closeSerial();
        if (restartUdp_)
            link.closeUdp();
        stopReconnect(
            QStringLiteral("Not reconnected to %1: the board did not answer for 2 minutes")
                .arg(target));
        return;
    }
    if (restartSerial_ && ui->RS232Check->isChecked()) {
        if (ComPort1->isOpen() || link.openSerial(nullptr)) {
            ReplySeen = false;
            CWriteStr(corvane::frames::probe());
        }
    }
    if (restartUdp_ && ui->UDPCheck->isChecked()) {
        const auto endpoint = corvane::settings::parseEndpoint(Form2->endpoint());
        if (udpActive() ||
            link.connectUdp(endpoint, platform::pacing::interval(kUdpProbeWaitMs), nullptr)) {
            if (link.probeUdp()) {
                link.udpReceiveTimeout = platform::pacing::interval(1000);
                reconnected(udpTarget());
            }
        }
    }
}
