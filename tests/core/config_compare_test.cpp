// Two configurations compared when each side holds other input modules: each side's sensor input
// is named from its own module's list.
#include "core/config_compare.h"

#include <QtTest>

using namespace corvane;
using controls::Ctl;

class ConfigCompareTest : public QObject {
    Q_OBJECT
private slots:
    void eachSideReadsItsListsWithItsOwnModules() {
        variant::BoardFlags windows;
        windows.fullBoard = false;
        windows.boardVariant = 1;
        windows.ch11 = variant::flagsFor(variant::Module::Sdi);
        windows.ch12 = variant::flagsFor(variant::Module::Hdmi);
        variant::BoardFlags board = windows;
        board.ch11 = variant::flagsFor(variant::Module::Hdmi);

        controls::ConfigView ours;
        ours[Ctl::S1I].index = 0;
        ours[Ctl::S2I].index = 1;
        controls::ConfigView theirs = ours;

        // The same position in two modules' lists is two different inputs.
        auto diff = compare::differences(ours, windows, theirs, board);
        QCOMPARE(diff.size(), std::size_t(1));
        QCOMPARE(diff[0], (compare::Difference{Ctl::S1I, "HD SDI 1080P60", "HDMI 1080P60"}));
        // Read with one side's modules only, the difference would not be seen at all.
        QVERIFY(compare::differences(ours, theirs, windows).empty());

        ours[Ctl::S1I].index = 4;
        theirs[Ctl::S1I].index = 2;
        diff = compare::differences(ours, windows, theirs, board);
        QCOMPARE(diff.size(), std::size_t(1));
        QCOMPARE(diff[0], (compare::Difference{Ctl::S1I, "No Sensor", "HDMI 720P60"}));
    }
};

QTEST_GUILESS_MAIN(ConfigCompareTest)
#include "config_compare_test.moc"
