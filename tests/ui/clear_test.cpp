// Clearing the displayed configuration in the windows: what it empties and keeps, that ticked
// boxes run their handlers once as they are cleared while lists run nothing, and that every way of
// dropping the board clears.
#include "app/control_map.h"
#include "app/windows.h"
#include "core/controls.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "app/widgets.h"

#include <map>
#include <memory>
#include <set>

using namespace corvane::controls;

namespace {

// Kept as they are by clearing.
const std::set<Ctl> kLeftAlone{Ctl::AutStart, Ctl::PARTP, Ctl::ERRFEC, Ctl::UDPCheck,
                               Ctl::RS232Check};
// The interface boxes: left clear, so that what the other boxes send goes nowhere.
bool isInterface(Ctl c) {
    return c == Ctl::UDPCheck || c == Ctl::RS232Check;
}

// Every configuration control shows something, each box ticked (ticking "Moving" clears
// "Fixed"), VBR on both streams; the lamp green, READY shown, an error in Panel9, half a reply
// frame in the receive buffer, streaming. No interface box is ticked, so the boxes' commands go
// nowhere.
void showABoard(TForm1* f) {
    const ControlMap& map = f->controlMap();
    for (const CtlInfo& row : kCatalogue) {
        switch (row.kind) {
        case Kind::Edit:
            map.apply(Action::setText(row.id, "17"));
            break;
        case Kind::List:
            map.apply(Action::select(row.id, 1));
            break;
        case Kind::Check:
            if (!isInterface(row.id))
                map.apply(Action::setChecked(row.id, true));
            break;
        case Kind::Radio:
            if (row.id == Ctl::VBR11B || row.id == Ctl::VBR12B)
                map.apply(Action::setChecked(row.id, true));
            break;
        case Kind::Button: // no configuration control is a button
        case Kind::Caption:
            map.apply(Action::setCaption(row.id, "RTP 11"));
            break;
        }
    }
    f->applyActions({{Action::lampColour(Lamp::Green)}, {}});
    child<QLabel>(f, "RDS")->show();
    child<QLabel>(f, "Panel9")->setText("Error Ack. from Board");
    f->RxBuffer.append("A3312081920$1080$");
    f->StreamingOn = true;
}

// The signal each kind of control runs its handler from.
class HandlerSpies {
public:
    explicit HandlerSpies(const ControlMap& map) {
        for (const CtlInfo& row : kCatalogue) {
            QWidget* w = map.widget(row.id);
            switch (row.kind) {
            case Kind::Check:
            case Kind::Radio:
                spies_[row.id] = std::make_unique<QSignalSpy>(static_cast<QAbstractButton*>(w),
                                                              &QAbstractButton::toggled);
                break;
            case Kind::List:
                spies_[row.id] =
                    std::make_unique<QSignalSpy>(static_cast<QComboBox*>(w), &QComboBox::activated);
                break;
            case Kind::Edit:
                spies_[row.id] = std::make_unique<QSignalSpy>(static_cast<QLineEdit*>(w),
                                                              &QLineEdit::textChanged);
                break;
            case Kind::Button: // no configuration control is a button
            case Kind::Caption:
                break;
            }
        }
    }
    // What a control signalled, e.g. "false" for a box cleared once, "" for an edit emptied.
    QStringList of(Ctl c) const {
        QStringList out;
        if (auto it = spies_.find(c); it != spies_.end())
            for (const QList<QVariant>& args : *it->second)
                out << args.value(0).toString();
        return out;
    }
    void clear() {
        for (auto& [c, spy] : spies_)
            spy->clear();
    }

private:
    std::map<Ctl, std::unique_ptr<QSignalSpy>> spies_;
};

} // namespace

class ClearTest : public QObject {
    Q_OBJECT
private slots:
    void clearUiEmptiesTheConfiguration();
    void clearingSendsNothing();
    void everyWayOfDroppingTheBoardClears_data();
    void everyWayOfDroppingTheBoardClears();
};

void ClearTest::clearUiEmptiesTheConfiguration() {
    RunningProgram p(0.01);
    p.f->Timer1->stop();
    showABoard(p.f);
    p.label("ConNot")->setText("Connected");
    const ConfigView before = p.f->readControls();
    QVERIFY(before.checked(Ctl::AutoDetect) && before.checked(Ctl::CEFEC) &&
            before.checked(Ctl::VBR12B) && !before.checked(Ctl::FixCheck));
    QCOMPARE(p.f->RateMode12, 2);
    p.prompts.messages.clear();
    HandlerSpies spies(p.f->controlMap());

    child<QAction>(p.f, "ClearUIB")->trigger();

    const ConfigView after = p.f->readControls();
    for (const CtlInfo& row : kCatalogue) {
        const QString name = QString::fromLatin1(row.name.data(), row.name.size());
        const QStringList signalled = spies.of(row.id);
        if (kLeftAlone.count(row.id)) {
            QVERIFY2(after[row.id] == before[row.id], qPrintable(name));
            QVERIFY2(signalled.isEmpty(), qPrintable(name));
            continue;
        }
        switch (row.kind) {
        case Kind::Edit:
            QCOMPARE(after.text(row.id), std::string());
            QCOMPARE(signalled, QStringList{""});
            break;
        case Kind::List:
            QCOMPARE(after.index(row.id), -1);
            QVERIFY2(signalled.isEmpty(), qPrintable(name)); // its handler does not run
            break;
        case Kind::Check: // a box that was ticked runs its handler once; one already clear not
            QVERIFY2(!after.checked(row.id), qPrintable(name));
            QCOMPARE(signalled, before.checked(row.id) ? QStringList{"false"} : QStringList());
            break;
        case Kind::Radio: {
            const bool cbr = row.id == Ctl::CBR11B || row.id == Ctl::CBR12B;
            QCOMPARE(after.checked(row.id), cbr);
            QCOMPARE(signalled, QStringList{cbr ? "true" : "false"});
            break;
        }
        case Kind::Button: // no configuration control is a button
        case Kind::Caption:
            break;
        }
    }
    QCOMPARE(child<ShapeIndicator>(p.f, "Rec1")->fillColor(), QColor(128, 128, 128));
    QVERIFY(!p.label("RDS")->isVisible());
    QCOMPARE(p.label("Panel9")->text(), QString());
    QVERIFY(p.f->RxBuffer.empty());
    // CBR selected again: the rate mode, the caption and the update buttons follow.
    QCOMPARE(p.f->RateMode11, 1);
    QCOMPARE(p.f->RateMode12, 1);
    QCOMPARE(p.label("StBR12")->text(), QStringLiteral("Bitrate (kbps)"));
    for (const char* button : {"URes2", "UBit2", "UGop2", "Ufps2"})
        QVERIFY2(child<QPushButton>(p.f, button)->isEnabled(), button);
    // State flags, the connection text and the streaming status stay.
    QVERIFY(p.f->StreamingOn);
    QCOMPARE(p.label("ConNot")->text(), QStringLiteral("Connected"));
    QVERIFY(p.prompts.messages.isEmpty());

    // A second clearing changes no control, so no handler runs at all.
    spies.clear();
    p.f->ClearUI();
    for (const CtlInfo& row : kCatalogue)
        QVERIFY2(spies.of(row.id).isEmpty(), row.name.data());
    QVERIFY(p.f->readControls().values == after.values);
}

// Clearing tidies the display only: over an open link the boxes it clears (input auto-detection,
// FEC, "Moving") send nothing, so a live stream keeps its settings.
void ClearTest::clearingSendsNothing() {
    RunningProgram p(0.01);
    PtyResponder board([](const QByteArray&) { return QByteArray("55"); });
    showABoard(p.f);
    p.serialAt(board.slavePath());
    p.rs232()->setChecked(true);
    p.f->Connect1Click();
    p.f->Timer1->stop();
    p.prompts.messages.clear(); // shown before the link was open: the boxes' commands were refused

    auto* cefec = static_cast<QCheckBox*>(p.f->controlMap().widget(Ctl::CEFEC));
    QVERIFY(cefec->isChecked());
    p.f->ClearUI();
    QVERIFY(!cefec->isChecked());
    runEventLoop(200);
    QCOMPARE(board.frames(), QList<QByteArray>());
    QVERIFY(p.prompts.messages.isEmpty());
}

// Closing a link with "Connect " and starting a board search also clear; the link is closed
// after the clearing, so the handlers of the cleared boxes could still reach the board.
void ClearTest::everyWayOfDroppingTheBoardClears_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Connect  closes the serial link") << "serial";
    QTest::newRow("Connect  closes the UDP link") << "udp";
    for (const char* item : {"estRS2321", "estUDP1", "estBoth1", "estBurn1"})
        QTest::newRow(item) << item;
}

void ClearTest::everyWayOfDroppingTheBoardClears() {
    QFETCH(QString, way);
    RunningProgram p(0.01);
    PtyPair pty;
    UdpPeer peer;
    if (way == "serial") {
        p.serialAt(pty.slavePath());
        p.rs232()->setChecked(true);
    } else if (way == "udp") {
        p.udpAt(peer.port());
        p.udp()->setChecked(true);
    }
    showABoard(p.f);
    p.f->Connect1Click();
    p.f->Timer1->stop();
    QList<bool> linkUpWhileClearing;
    auto* cefec = static_cast<QCheckBox*>(p.f->controlMap().widget(Ctl::CEFEC));
    QObject::connect(cefec, &QCheckBox::toggled, p.f,
                     [&] { linkUpWhileClearing << (p.f->ComPort1->isOpen() || p.f->udpActive()); });

    if (way == "serial" || way == "udp") {
        p.f->Connect1Click();
        QCOMPARE(linkUpWhileClearing, QList<bool>{true});
        QVERIFY(!p.f->ComPort1->isOpen() && !p.f->udpActive());
    } else {
        child<QAction>(p.f, way)->trigger();
        p.f->link.cancelSequence();
        QCOMPARE(linkUpWhileClearing, QList<bool>{false});
    }
    QVERIFY(!cefec->isChecked());
    QCOMPARE(p.f->readControls().text(Ctl::Bit1), std::string());
    QVERIFY(p.f->RxBuffer.empty());
    QCOMPARE(child<ShapeIndicator>(p.f, "Rec1")->fillColor(), QColor(128, 128, 128));
}

QTEST_MAIN(ClearTest)
#include "clear_test.moc"
