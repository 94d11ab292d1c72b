// What a screen reader hears: the lists, the status panels and the group boxes are named by what
// they show now, also after the program changed them, and tell their purpose as description; the
// recording lamp says its state and tells when it changes. And the main window from the keyboard:
// Tab in reading order, the lamp and the panels that take Space and Enter, the menus.
#include "app/widgets.h"
#include "app/windows.h"
#include "core/variant.h"
#include "support/links.h"
#include "support/program.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#ifdef CORVANE_TEST_A11Y_EVENTS
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

namespace {

QString heard(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

QString shown(QWidget* w) {
    if (auto* list = qobject_cast<QComboBox*>(w))
        return list->currentText();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return static_cast<QLabel*>(w)->text();
}

// Every list, group box and status text of the windows.
QList<QWidget*> changingControls(const Windows& w) {
    QList<QWidget*> out;
    for (QWidget* window : {static_cast<QWidget*>(w.Form1.get()), static_cast<QWidget*>(w.Form2),
                            static_cast<QWidget*>(w.Form3), static_cast<QWidget*>(w.Form4),
                            static_cast<QWidget*>(w.Form5)}) {
        for (QComboBox* c : window->findChildren<QComboBox*>())
            out << c;
        for (QGroupBox* g : window->findChildren<QGroupBox*>())
            out << g;
    }
    for (const char* name : {"Panel4", "Panel5", "Panel8", "Panel9", "ConNot", "RDS", "PARTP"})
        out << child<QLabel>(w.Form1.get(), name);
    return out;
}

QAccessibleInterface* face(QWidget* w) {
    return QAccessible::queryAccessibleInterface(w);
}

// The accessibility events sent about one object, as a screen reader would be told of them. Qt
// sends them only while its accessibility is active, as it is when a screen reader listens.
struct HeardEvents {
    static inline QObject* watched = nullptr;
    static inline QList<QAccessible::Event> events;
    static bool canHear() {
#ifdef CORVANE_TEST_A11Y_EVENTS
        return QGuiApplicationPrivate::platformIntegration()->accessibility();
#else
        return false;
#endif
    }
    explicit HeardEvents(QObject* object) {
        watched = object;
        events.clear();
#ifdef CORVANE_TEST_A11Y_EVENTS
        if (canHear())
            QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
#endif
        QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            if (event->object() == watched)
                events << event->type();
        });
    }
    ~HeardEvents() {
        QAccessible::installUpdateHandler(nullptr);
        watched = nullptr;
    }
    // How many events said that the description changed since the last call.
    static int descriptionChanges() {
        const int n = static_cast<int>(events.count(QAccessible::DescriptionChanged));
        events.clear();
        return n;
    }
};

// The main window's controls in reading order, as an operator meets them: the main buttons, the
// interface, camera, lamp and "Auto " row, stream 11 top to bottom (a row left to right), stream
// 12, the network settings, the FEC settings beside them, the interface buttons, the status panel.
// Of a pair of radio buttons Tab stops at the selected one.
const QStringList kReadingOrder = {
    "BitBtn1",  "BitBtn2", "BitBtn3",  "BitBtn4", "UDPCheck",   "RS232Check", "FixCheck",
    "MovCheck", "Rec1",    "AutStart", "UDPRSB",  "AutoDetect", "PARTP",      "S1I",
    "Res1",     "URes1",   "Bit1",     "UBit1",   "Gop1",       "UGop1",      "fps1",
    "Ufps1",    "Efmt1",   "S1Aud",    "ERec1",   "CBR11B",     "S2I",        "Res2",
    "URes2",    "Bit2",    "UBit2",    "Gop2",    "UGop2",      "fps2",       "Ufps2",
    "Efmt2",    "S2Aud",   "ERec2",    "CBR12B",  "BitBtn5",    "ipb",        "gwp",
    "SubB",     "MTUB",    "UDPRSIPB", "CEFEC",   "FECP",       "DFEC",       "LFEC",
    "ERRFEC",   "BitBtn6", "BitBtn7",  "Panel5"};

// Presses Tab (or Shift+Tab) from the control with the focus until the focus comes back to
// `from`; the names of the controls on the way.
QStringList tabRound(QWidget* from, bool back) {
    from->setFocus(Qt::OtherFocusReason);
    QStringList names{from->objectName()};
    for (int i = 0; i < 200; ++i) {
        QWidget* now = from->window()->focusWidget();
        QTest::keyClick(now, back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        now = from->window()->focusWidget();
        if (!now || now == from)
            break;
        names << now->objectName();
    }
    return names;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void namesFollowWhatIsShown();
    void lampSaysWhatItShows();
    void tabFollowsTheReadingOrder();
    void spaceAndEnterActAsAClick();
    void menusFromTheKeyboard();
    void messagesShowTheirKind();
};

void AccessibilityTest::namesFollowWhatIsShown() {
    RunningProgram p;
    const QList<QWidget*> controls = changingControls(*p.w);
    QVERIFY(controls.size() > 20);
    for (QWidget* w : controls)
        QVERIFY2(!w->accessibleDescription().isEmpty(), qPrintable(w->objectName()));

    // Change each the way the program does, then listen again.
    p.f->applyVariant(corvane::variant::applySmallVariant(p.f->Board, corvane::variant::Module::Sdi,
                                                          corvane::variant::Module::Hdmi));
    int n = 0;
    for (QWidget* w : controls) {
        if (auto* list = qobject_cast<QComboBox*>(w))
            list->setCurrentIndex((++n) % list->count());
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            group->setTitle(group->title() + QStringLiteral(" (changed)"));
        else
            static_cast<QLabel*>(w)->setText(QStringLiteral("UDP Connected %1").arg(++n));
    }
    for (QWidget* w : controls)
        QCOMPARE(heard(w), shown(w));
    QCOMPARE(heard(child<QGroupBox>(p.f, "GroupBox1")),
             QStringLiteral("RTSP Stream 11 (HD SDI) (changed)"));
}

// The lamp is a button named "Recording indicator" whose description is its state; every change
// of colour is told. The "Update" buttons say what each updates.
void AccessibilityTest::lampSaysWhatItShows() {
    RunningProgram p(0.05);
    auto* lamp = child<ShapeIndicator>(p.f, "Rec1");
    QAccessibleInterface* heard = face(lamp);
    QVERIFY(heard);
    QCOMPARE(heard->text(QAccessible::Name), QStringLiteral("Recording indicator"));
    QCOMPARE(heard->role(), QAccessible::Button);
    QVERIFY(heard->state().focusable);
    QCOMPARE(heard->text(QAccessible::Description), QStringLiteral("not streaming"));

    UdpResponder board([](const QByteArray&) { return QByteArray("55"); });
    p.udpAt(board.port());
    p.udp()->setChecked(true);
    p.f->Connect1Click();
    p.f->Timer1->stop();
    HeardEvents events(lamp);
    child<QCheckBox>(p.f, "S1Aud")->setChecked(true);
    child<QCheckBox>(p.f, "S2Aud")->setChecked(true);
    const struct {
        std::function<void()> act;
        QColor colour;
        const char* state;
    } steps[] = {
        {[&] { p.f->BitBtn3Click(); }, QColor(0, 255, 0), "streaming"},
        {[&] { lamp->click(); }, QColor(255, 0, 0), "recording"},
        {[&] { lamp->click(); }, QColor(0, 255, 0), "streaming"},
        {[&] { lamp->click(); }, QColor(255, 0, 0), "recording"},
        {[&] { p.f->BitBtn4Click(); }, QColor(128, 128, 128), "not streaming"},
    };
    for (const auto& step : steps) {
        step.act();
        QCOMPARE(lamp->fillColor(), step.colour);
        QCOMPARE(heard->text(QAccessible::Description), QLatin1String(step.state));
        if (HeardEvents::canHear())
            QCOMPARE(HeardEvents::descriptionChanges(), 1);
    }
    // A press on the grey lamp changes nothing, and nothing is told.
    lamp->click();
    QCOMPARE(HeardEvents::descriptionChanges(), 0);
    if (!HeardEvents::canHear())
        qWarning("Qt's platform interface is not there: the events were not checked");

    const std::pair<const char*, const char*> updates[] = {
        {"URes1", "Update stream 11 resolution"}, {"UBit1", "Update stream 11 bit rate"},
        {"UGop1", "Update stream 11 GOP"},        {"Ufps1", "Update stream 11 frame rate"},
        {"URes2", "Update stream 12 resolution"}, {"UBit2", "Update stream 12 bit rate"},
        {"UGop2", "Update stream 12 GOP"},        {"Ufps2", "Update stream 12 frame rate"}};
    for (const auto& [button, name] : updates) {
        QCOMPARE(face(child<QPushButton>(p.f, button))->text(QAccessible::Name),
                 QLatin1String(name));
        QCOMPARE(child<QPushButton>(p.f, button)->text(), QStringLiteral("Update"));
    }
}

void AccessibilityTest::tabFollowsTheReadingOrder() {
    RunningProgram p;
    QWidget* first = child<QWidget>(p.f, "BitBtn1");
    QCOMPARE(tabRound(first, false), kReadingOrder);
    QStringList back = kReadingOrder.mid(1);
    std::reverse(back.begin(), back.end());
    QCOMPARE(tabRound(first, true), QStringList{"BitBtn1"} + back);

    // The dialogs and the link monitor from their top to their bottom buttons.
    child<QAction>(p.f, "LinkMonitor1")->trigger();
    QWidget* monitor = p.f->findChild<QWidget*>("LinkMonitor");
    QVERIFY(monitor);
    const struct {
        QWidget* window;
        QStringList order;
    } dialogs[] = {
        {monitor,
         {"MonitorFilter", "MonitorPause", "MonitorClear", "MonitorSaveAs", "MonitorTable"}},
        {p.w->Form2, {"MyIPL", "CorIPL", "SPort", "PortL", "Button1", "Button2"}},
        {p.w->Form3,
         {"RecRes1", "RecBit1", "RecGop1", "Recfps1", "RecRes2", "RecBit2", "RecGop2", "Recfps2",
          "BitBtn2"}},
        {p.w->Form5,
         {"RTP11_S", "RTP11_IP", "RTP11_Port", "RTP11_M", "BitBtn3", "RTP12_S", "RTP12_IP",
          "RTP12_Port", "RTP12_M", "BitBtn4", "BitBtn2"}},
        {p.f->aboutfrm(), {"Memo1", "BitBtn1"}},
    };
    for (const auto& d : dialogs) {
        d.window->show();
        d.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d.window));
        QCOMPARE(tabRound(child<QWidget>(d.window, d.order.first()), false), d.order);
        d.window->hide();
    }
}

// Space and Enter on the lamp, the mode panel and the status panel do what a click does; here the
// lamp starts and stops recording on a board over UDP. A screen reader's "press" does the same.
void AccessibilityTest::spaceAndEnterActAsAClick() {
    RunningProgram p(0.05);
    UdpResponder board([](const QByteArray&) { return QByteArray("55"); });
    p.udpAt(board.port());
    p.udp()->setChecked(true);
    p.f->Connect1Click();
    p.f->Timer1->stop();
    child<QCheckBox>(p.f, "S1Aud")->setChecked(true);
    child<QCheckBox>(p.f, "S2Aud")->setChecked(true);
    p.f->BitBtn3Click();

    auto* lamp = child<ShapeIndicator>(p.f, "Rec1");
    lamp->setFocus(Qt::TabFocusReason);
    QVERIFY(lamp->hasFocus());
    QTest::keyClick(lamp, Qt::Key_Space);
    QCOMPARE(lamp->fillColor(), QColor(255, 0, 0));
    QTest::keyClick(lamp, Qt::Key_Return);
    QCOMPARE(lamp->fillColor(), QColor(0, 255, 0));
    face(lamp)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(lamp->fillColor(), QColor(255, 0, 0));
    QTest::keyClick(lamp, Qt::Key_Tab); // Tab only moves on
    QCOMPARE(lamp->fillColor(), QColor(255, 0, 0));
    QCOMPARE(board.frames(), (QList<QByteArray>{"A50205", "A503461", "A503462", "A503461"}));
    QVERIFY(p.prompts.messages.isEmpty());

    auto* mode = child<ClickPanel>(p.f, "PARTP");
    QCOMPARE(mode->text(), QStringLiteral("RTSP"));
    mode->setFocus(Qt::TabFocusReason);
    QTest::keyClick(mode, Qt::Key_Space);
    QCOMPARE(mode->text(), QStringLiteral("RTP 11"));
    QTest::keyClick(mode, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(mode->text(), QStringLiteral("RTP 12"));
    QCOMPARE(face(mode)->role(), QAccessible::Button);
    QCOMPARE(face(mode)->text(QAccessible::Name), QStringLiteral("RTP 12"));
    face(mode)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(mode->text(), QStringLiteral("RTP 11 + RTP 12"));

    auto* status = child<ClickPanel>(p.f, "Panel5");
    status->setFocus(Qt::TabFocusReason);
    QVERIFY(p.f->StreamingOn);
    QTest::keyClick(status, Qt::Key_Space);
    QVERIFY(!p.f->StreamingOn);
    QTest::keyClick(status, Qt::Key_Return);
    QVERIFY(p.f->StreamingOn);
    QCOMPARE(board.frames().size(), 4); // the panels send nothing
}

// Every menu of the bar is in sight at the window's width and opens with Alt and its letter; the
// most used commands show their shortcuts in a menu, and the shortcuts work.
void AccessibilityTest::menusFromTheKeyboard() {
    RunningProgram p;
    QMenuBar* bar = p.f->menuBar();
    QCOMPARE(bar->width(), p.f->width());
    QSet<QKeySequence> letters;
    int shown = 0;
    for (QAction* a : bar->actions()) {
        if (!a->isVisible())
            continue;
        ++shown;
        QVERIFY2(bar->rect().contains(bar->actionGeometry(a)), qPrintable(a->text()));
        const QKeySequence letter = QKeySequence::mnemonic(a->text());
        QVERIFY2(!letter.isEmpty(), qPrintable(a->text()));
        QVERIFY2(!letters.contains(letter), qPrintable(a->text()));
        letters << letter;
    }
    QCOMPARE(shown, 9);
    for (QToolButton* overflow : bar->findChildren<QToolButton*>())
        QVERIFY(!overflow->isVisible());

    // Each shortcut is shown by an item of a menu.
    const auto itemWith = [&](const QKeySequence& keys) -> QAction* {
        for (QMenu* menu : p.f->findChildren<QMenu*>())
            for (QAction* a : menu->actions())
                if (a->shortcut() == keys)
                    return a;
        return nullptr;
    };
    const QKeySequence read(Qt::CTRL | Qt::Key_R), save(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
        connectKeys(Qt::CTRL | Qt::Key_K), monitor(Qt::CTRL | Qt::Key_L);
    for (const QKeySequence& keys : {read, save, connectKeys, monitor})
        QVERIFY2(itemWith(keys), qPrintable(keys.toString()));
    QCOMPARE(itemWith(read)->text(), QStringLiteral("Read Config."));
    QCOMPARE(itemWith(save)->text(), QStringLiteral("Save Config."));
    QCOMPARE(itemWith(connectKeys), child<QAction>(p.f, "Connect1"));
    QCOMPARE(itemWith(monitor), child<QAction>(p.f, "LinkMonitor1"));

    // The keys press the buttons.
    QSignalSpy readPressed(child<QPushButton>(p.f, "BitBtn1"), &QPushButton::clicked);
    QSignalSpy savePressed(child<QPushButton>(p.f, "BitBtn2"), &QPushButton::clicked);
    p.prompts.answers = {false, false};
    QTest::keyClick(p.f, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(p.f, Qt::Key_S, Qt::ControlModifier); // Save Config. needs Shift as well
    QCOMPARE(savePressed.count(), 0);
    QTest::keySequence(p.f, save);
    QCOMPARE(readPressed.count(), 1);
    QCOMPARE(savePressed.count(), 1);

    QMenu* view = child<QMenu>(p.f, "View1");
    QTest::keyClick(p.f, Qt::Key_V, Qt::AltModifier);
    QTRY_VERIFY(view->isVisible());
    view->close();
}

// A message box shows the icon of what it tells: the missing settings files at start-up are a
// notice, a refused command a warning.
void AccessibilityTest::messagesShowTheirKind() {
    using Kind = platform::MessageKind;
    RunningProgram p(RunningProgram::Setup{.startLater = true});
    p.start();
    runEventLoop(0);
    QCOMPARE(p.prompts.texts(),
             (QStringList{"No UDP Configuration File", "No Board Configuration File"}));
    for (const ShownMessage& m : p.prompts.messages)
        QCOMPARE(m.kind, Kind::Information);
    p.prompts.messages.clear();
    p.f->BitBtn3Click(); // no link
    QCOMPARE(p.prompts.texts(), QStringList{"Please Connect First !! "});
    QCOMPARE(p.prompts.messages.first().kind, Kind::Warning);
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
