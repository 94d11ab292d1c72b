// The UDP, recording and RTP dialogs build their widgets when first shown or reached. Until then
// they hold their values as plain values, which read and write as the widgets would, and which the
// widgets show once built.
#include "app/control_map.h"
#include "app/windows.h"
#include "core/config_clear.h"
#include "support/program.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace corvane::controls;

namespace {

// A dialog as it is, found without reaching it through the main window (which would build it).
template <typename Dialog> Dialog* unreached() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<Dialog*>(w))
            return d;
    return nullptr;
}

// Writes to the recording and RTP dialogs' controls: positions a list holds and does not hold,
// texts (one longer than an edit keeps), a text written twice, a control disabled.
Applied dialogWrites() {
    return {{Action::select(Ctl::RecRes2, 3), Action::select(Ctl::RecRes1, 42),
             Action::select(Ctl::RTP11_S, 1), Action::select(Ctl::RTP12_S, 0),
             Action::select(Ctl::RTP12_S, -1), Action::setText(Ctl::RTP12_M, "239.0.0.12"),
             Action::setText(Ctl::RecBit1, std::string(40000, '7')),
             Action::setText(Ctl::Recfps2, "25"), Action::setText(Ctl::Recfps2, "30"),
             Action::setText(Ctl::RTP11_IP, " 10.0.0.9 "), Action::setEnabled(Ctl::RecGop1, false)},
            {}};
}

} // namespace

class DialogValuesTest : public QObject {
    Q_OBJECT
private slots:
    // The same writes, once to dialogs never opened and once to dialogs built first: the
    // configuration read back is the same, and so are the widgets once the first are built.
    void heldValuesActAsTheWidgets() {
        RunningProgram held;
        QVERIFY(!unreached<TForm2>()->isBuilt());
        QVERIFY(!unreached<TForm3>()->isBuilt());
        QVERIFY(!unreached<TForm5>()->isBuilt());
        held.f->applyActions(corvane::config::clearDisplay());
        held.f->applyActions(dialogWrites());
        const ConfigView heldView = held.f->readControls();
        QVERIFY(!unreached<TForm3>()->isBuilt());
        QVERIFY(!unreached<TForm5>()->isBuilt());

        RunningProgram built;
        QVERIFY(built.w->Form3->isBuilt());
        QVERIFY(built.w->Form5->isBuilt());
        built.f->applyActions(corvane::config::clearDisplay());
        built.f->applyActions(dialogWrites());
        const ConfigView builtView = built.f->readControls();

        for (const CtlInfo& row : kCatalogue)
            QVERIFY2(heldView[row.id] == builtView[row.id], row.name.data());
        QCOMPARE(heldView.index(Ctl::RecRes2), 3);
        QCOMPARE(heldView.text(Ctl::RecRes2), std::string("720 x 500"));
        QCOMPARE(heldView.index(Ctl::RecRes1), -1);
        QCOMPARE(heldView.text(Ctl::RecBit1).size(), std::size_t(32767));

        // Built now: the widgets show what was held, with the same marks and enabled states.
        for (const CtlInfo& row : kCatalogue) {
            if (row.window == Window::Main)
                continue;
            QWidget* was = held.f->controlMap().widget(row.id);
            QWidget* is = built.f->controlMap().widget(row.id);
            QVERIFY2(was && is, row.name.data());
            QCOMPARE(was->isEnabled(), is->isEnabled());
            QCOMPARE(was->toolTip(), is->toolTip());
            if (auto* edit = qobject_cast<QLineEdit*>(was))
                QCOMPARE(edit->text(), static_cast<QLineEdit*>(is)->text());
            if (auto* list = qobject_cast<QComboBox*>(was))
                QCOMPARE(list->currentIndex(), static_cast<QComboBox*>(is)->currentIndex());
        }
        QCOMPARE(held.f->readControls().values, builtView.values);
    }

    // The UDP dialog's texts from udpf.ini, before and after its widgets are built.
    void udpTextsBeforeAndAfterBuilding_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("three lines") << QByteArray("10.0.0.2\r\n10.0.0.9\r\n8071\r\n");
        QTest::newRow("two lines") << QByteArray("10.0.0.2\r\n10.0.0.9\r\n");
        QTest::newRow("no file") << QByteArray();
    }
    void udpTextsBeforeAndAfterBuilding() {
        QFETCH(QByteArray, file);
        PromptRecorder prompts;
        ScopedWorkDir dir;
        if (!file.isEmpty())
            dir.write("udpf.ini", file);
        TForm2 unbuilt, built;
        built.build();
        unbuilt.load(dir.path());
        built.load(dir.path());
        QVERIFY(!unbuilt.isBuilt());
        const auto before = unbuilt.endpoint();
        const auto widgets = built.endpoint();
        QCOMPARE(before.myIp, widgets.myIp);
        QCOMPARE(before.boardIp, widgets.boardIp);
        QCOMPARE(before.sourcePort, widgets.sourcePort);
        QCOMPARE(before.boardPort, widgets.boardPort);
        QCOMPARE(before.boardPort, std::string("6767"));
        unbuilt.build();
        for (const char* name : {"MyIPL", "CorIPL", "SPort", "PortL"})
            QCOMPARE(child<QLineEdit>(&unbuilt, name)->text(),
                     child<QLineEdit>(&built, name)->text());
    }
};

QTEST_MAIN(DialogValuesTest)
#include "dialog_values_test.moc"
