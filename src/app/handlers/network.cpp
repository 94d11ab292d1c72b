// The network panel: "Save Network Configuration", the "FEC" and "FEC Error" boxes, and the three
// FEC edits kept consistent as the operator types. The decisions are core's (core/network.h,
// core/fec.h); these handlers read the controls, run the plan and apply what it changes.
#include "app/handlers/settle_send.h"
#include "app/handlers/wiring.h"
#include "app/tform1.h"

#include "core/fec.h"
#include "core/network.h"
#include "core/plan.h"
#include "platform/files.h"
#include "ui_tform1.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStatusBar>

#include <functional>

namespace {

// Reports each key release in a watched edit (auto-repeats excepted: one press, one release).
class KeyReleaseFilter : public QObject {
public:
    KeyReleaseFilter(QObject* parent, std::function<void()> onRelease)
        : QObject(parent), onRelease_(std::move(onRelease)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            onRelease_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onRelease_;
};

void onKeyRelease(QLineEdit* edit, std::function<void()> handler) {
    edit->installEventFilter(new KeyReleaseFilter(edit, std::move(handler)));
}

} // namespace

void handlers::wireNetwork(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.BitBtn5, &QPushButton::clicked, &f, &TForm1::BitBtn5Click);
    // Both boxes are also changed by the decoder, the clearing and "Stop Stream": their handlers
    // run on every change of state, whoever makes it.
    QObject::connect(ui.CEFEC, &QCheckBox::toggled, &f, &TForm1::CEFECClick);
    QObject::connect(ui.ERRFEC, &QCheckBox::toggled, &f, &TForm1::ERRFECClick);
    // Only the operator's typing recomputes; texts written from code do not.
    onKeyRelease(ui.LFEC, [&f] { f.LFECKeyUp(); });
    onKeyRelease(ui.DFEC, [&f] { f.DFECKeyUp(); });
    onKeyRelease(ui.FECP, [&f] { f.FECPKeyUp(); });
}

// The status bar says what the save sent, or what stopped it.
void TForm1::BitBtn5Click() {
    namespace network = corvane::network;
    const corvane::controls::ConfigView view = readControls();
    const corvane::plan::Plan plan = network::planNetworkSave(view);
    // A plan that sends nothing has only its refusal to tell.
    std::string refusal;
    bool sends = false;
    for (const corvane::plan::Item& item : plan.items) {
        if (std::holds_alternative<corvane::steps::Step>(item))
            sends = true;
        else if (const auto* m = std::get_if<corvane::plan::Message>(&item); m && !sends)
            refusal = m->text;
    }
    if (sends)
        refusal.clear();
    QString why;
    const QString name = QStringLiteral("Save Network Configuration");
    if (handlers::settleSend(name, view, network::kSentBoxes, refusal, &why) !=
        handlers::Go::Send) {
        statusBar()->showMessage(QStringLiteral("Network configuration not sent: %1").arg(why));
        return;
    }
    // The settings the board was sent are named, also when the save stopped early.
    runPlan(plan, name, [plan](const BoardLink::SequenceReport& r, const QString& usual) {
        const std::string set = network::settingsSent(plan, r.sent);
        if (r.end == BoardLink::SequenceEnd::Completed)
            return QStringLiteral("Network configuration sent: %1").arg(platform::toQ(set)) +
                   (r.whole() ? QString()
                              : QStringLiteral(", but the board did not acknowledge %1 of "
                                               "%2 commands")
                                    .arg(r.unanswered)
                                    .arg(r.total));
        return set.empty() ? usual : usual + QStringLiteral(" Sent: %1.").arg(platform::toQ(set));
    });
}

void TForm1::CEFECClick(bool checked) {
    runPlan(corvane::fec::planFecBox(checked, readControls()));
}

void TForm1::ERRFECClick(bool checked) {
    runPlan(corvane::fec::planFecErrorBox(checked, readControls()));
}

void TForm1::LFECKeyUp() {
    applyActions(corvane::fec::fromLD(readControls()));
}

void TForm1::DFECKeyUp() {
    applyActions(corvane::fec::fromLD(readControls()));
}

void TForm1::FECPKeyUp() {
    applyActions(corvane::fec::fromPercent(readControls()));
}
