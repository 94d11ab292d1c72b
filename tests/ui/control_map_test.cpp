// The configuration controls as the windows hold them: every catalogued control is found in its
// window with its kind, and a write from code behaves as the operator's toolkit would: a check
// box or radio button signals its change (its handler runs), an edit signals its new text, and a
// list selected from code signals nothing to its handler.
#include "app/control_map.h"
#include "app/windows.h"
#include "core/config_text.h"
#include "support/program.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace corvane::controls;

class ControlMapTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlResolves_data();
    void everyControlResolves();
    void writesBehaveAsTheToolkit_data();
    void writesBehaveAsTheToolkit();
    void readingSeesWhatIsShown();
};

void ControlMapTest::everyControlResolves_data() {
    QTest::addColumn<int>("ctl");
    for (const CtlInfo& row : kCatalogue)
        QTest::newRow(std::string(row.name).c_str()) << static_cast<int>(row.id);
}

void ControlMapTest::everyControlResolves() {
    QFETCH(int, ctl);
    RunningProgram p;
    const CtlInfo& row = info(static_cast<Ctl>(ctl));
    QWidget* w = p.f->controlMap().widget(row.id);
    QVERIFY2(w, qPrintable(p.f->controlMap().problems().join(' ')));
    QCOMPARE(w->objectName(), QString::fromLatin1(row.name.data(), row.name.size()));
    QWidget* window = row.window == Window::Main        ? static_cast<QWidget*>(p.f)
                      : row.window == Window::Recording ? static_cast<QWidget*>(p.w->Form3)
                                                        : static_cast<QWidget*>(p.w->Form5);
    QCOMPARE(w->window(), window);
    // A list holds the items corvane-ctl reads and writes by name, in the same order.
    if (row.kind == Kind::List) {
        const auto* list = qobject_cast<QComboBox*>(w);
        QVERIFY(list);
        QStringList shown, core;
        for (int i = 0; i < list->count(); ++i)
            shown << list->itemText(i);
        for (const std::string& item : corvane::configtext::listItems(row.id, p.f->Board))
            core << QString::fromStdString(item);
        QCOMPARE(shown, core);
    }
}

void ControlMapTest::writesBehaveAsTheToolkit_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("check box: toggled once per real change") << "check";
    QTest::newRow("radio button: toggled when it becomes selected") << "radio";
    QTest::newRow("edit: its change signal runs") << "edit";
    QTest::newRow("list: selected from code, its handler does not run") << "list";
    QTest::newRow("caption panel: shows the text") << "caption";
}

void ControlMapTest::writesBehaveAsTheToolkit() {
    QFETCH(QString, kind);
    RunningProgram p;
    const ControlMap& map = p.f->controlMap();
    if (kind == "check") {
        auto* box = static_cast<QCheckBox*>(map.widget(Ctl::ERec2));
        QSignalSpy toggled(box, &QCheckBox::toggled);
        map.apply(Action::setChecked(Ctl::ERec2, true));
        map.apply(Action::setChecked(Ctl::ERec2, true)); // no change, no signal
        map.apply(Action::setChecked(Ctl::ERec2, false));
        QCOMPARE(toggled.size(), 2);
        QCOMPARE(toggled[0][0].toBool(), true);
        QCOMPARE(toggled[1][0].toBool(), false);
    } else if (kind == "radio") {
        auto* vbr = static_cast<QRadioButton*>(map.widget(Ctl::VBR12B));
        auto* cbr = static_cast<QRadioButton*>(map.widget(Ctl::CBR12B));
        QSignalSpy toggled(vbr, &QRadioButton::toggled);
        map.apply(Action::setChecked(Ctl::VBR12B, true));
        QCOMPARE(toggled.size(), 1);
        QVERIFY(vbr->isChecked());
        QVERIFY(!cbr->isChecked());
    } else if (kind == "edit") {
        auto* edit = static_cast<QLineEdit*>(map.widget(Ctl::RecBit1));
        QSignalSpy changed(edit, &QLineEdit::textChanged);
        map.apply(Action::setText(Ctl::RecBit1, "8000"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(edit->text(), QStringLiteral("8000"));
    } else if (kind == "list") {
        auto* list = static_cast<QComboBox*>(map.widget(Ctl::S1I));
        QSignalSpy picked(list, &QComboBox::activated);
        map.apply(Action::select(Ctl::S1I, 2)); // "HD SDI 720P60": picking it would fill fps1
        QCOMPARE(list->currentIndex(), 2);
        QCOMPARE(picked.size(), 0);
        QVERIFY(static_cast<QLineEdit*>(map.widget(Ctl::fps1))->text().isEmpty());
        map.apply(Action::select(Ctl::S1I, 42)); // a position the list does not hold
        QCOMPARE(list->currentIndex(), -1);
    } else {
        map.apply(Action::setCaption(Ctl::PARTP, "RTP 12"));
        QCOMPARE(static_cast<QLabel*>(map.widget(Ctl::PARTP))->text(), QStringLiteral("RTP 12"));
    }
}

// A list gives its position and item text; nothing selected is -1 with no text.
void ControlMapTest::readingSeesWhatIsShown() {
    RunningProgram p;
    const ControlMap& map = p.f->controlMap();
    map.apply(Action::select(Ctl::RecRes2, 3));
    map.apply(Action::setText(Ctl::RTP12_M, "239.0.0.12"));
    map.apply(Action::setChecked(Ctl::CEFEC, true));
    map.apply(Action::select(Ctl::Res1, -1));
    const ConfigView v = p.f->readControls();
    QCOMPARE(v.index(Ctl::RecRes2), 3);
    QCOMPARE(v.text(Ctl::RecRes2), std::string("720 x 500"));
    QCOMPARE(v.index(Ctl::Res1), -1);
    QCOMPARE(v.text(Ctl::Res1), std::string());
    QCOMPARE(v.text(Ctl::RTP12_M), std::string("239.0.0.12"));
    QVERIFY(v.checked(Ctl::CEFEC));
}

QTEST_MAIN(ControlMapTest)
#include "control_map_test.moc"
