// What a screen reader hears: the lists, the status panels and the group boxes are named by what
// they show now, also after the program changed them, and tell their purpose as description.
#include "app/windows.h"
#include "core/variant.h"
#include "support/program.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

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

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void namesFollowWhatIsShown();
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

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
