// The FEC arithmetic behind "FEC L :", "FEC D :" and "FEC+% :", and what the two FEC boxes send.
#include "core/fec.h"

#include <QtTest>

using namespace corvane;
using controls::Ctl;

namespace {

controls::ConfigView fecView(const QString& l, const QString& d, const QString& p = {}) {
    controls::ConfigView v;
    v[Ctl::LFEC].text = l.toStdString();
    v[Ctl::DFEC].text = d.toStdString();
    v[Ctl::FECP].text = p.toStdString();
    return v;
}

QString described(const controls::Applied& a) {
    return QString::fromStdString(controls::describe(a));
}

QString described(const plan::Plan& p) {
    return QString::fromStdString(plan::describe(p));
}

} // namespace

class FecTest : public QObject {
    Q_OBJECT

private slots:
    void overheadFromLD_data();
    void overheadFromLD();
    void sizeFromOverhead_data();
    void sizeFromOverhead();
    void boxes_data();
    void boxes();
};

void FecTest::overheadFromLD_data() {
    QTest::addColumn<QString>("l");
    QTest::addColumn<QString>("d");
    QTest::addColumn<QString>("expected");
    QTest::newRow("4 and 4 give 50") << "4"
                                     << "4"
                                     << "FECP='50'";
    QTest::newRow("10 and 20 give 15") << "10"
                                       << "20"
                                       << "FECP='15'";
    QTest::newRow("3 and 7: 1000 / 21, fraction dropped") << "3"
                                                          << "7"
                                                          << "FECP='47'";
    QTest::newRow("negative: truncated toward zero") << "-3"
                                                     << "7"
                                                     << "FECP='-19'";
    QTest::newRow("1 and 1 give 200") << "1"
                                      << "1"
                                      << "FECP='200'";
    QTest::newRow("a product beyond 32 bits does not wrap") << "65536"
                                                            << "65536"
                                                            << "FECP='0'";
    QTest::newRow("a leading plus converts") << "+4"
                                             << "4"
                                             << "FECP='50'";
    QTest::newRow("L empty: nothing") << ""
                                      << "4"
                                      << "";
    QTest::newRow("D empty: nothing") << "4"
                                      << ""
                                      << "";
    QTest::newRow("both empty: nothing") << ""
                                         << ""
                                         << "";
    QTest::newRow("L 0: division by zero") << "0"
                                           << "4"
                                           << "!Division by zero";
    QTest::newRow("D 0: division by zero") << "4"
                                           << "0"
                                           << "!Division by zero";
    QTest::newRow("L converted before D") << "x"
                                          << "y"
                                          << "!'x' is not a valid integer value";
    QTest::newRow("D not a number") << "4"
                                    << "4.5"
                                    << "!'4.5' is not a valid integer value";
    QTest::newRow("a space is not a number") << " 4"
                                             << "4"
                                             << "!' 4' is not a valid integer value";
    QTest::newRow("bad L wins over D 0") << "L"
                                         << "0"
                                         << "!'L' is not a valid integer value";
}

void FecTest::overheadFromLD() {
    QFETCH(QString, l);
    QFETCH(QString, d);
    QFETCH(QString, expected);
    QCOMPARE(described(fec::fromLD(fecView(l, d, "old"))), expected);
}

void FecTest::sizeFromOverhead_data() {
    QTest::addColumn<QString>("p");
    QTest::addColumn<QString>("expected");
    QTest::newRow("50 gives 4") << "50"
                                << "LFEC='4'; DFEC='4'";
    QTest::newRow("80: 2.5 goes to the even 2") << "80"
                                                << "LFEC='2'; DFEC='2'";
    QTest::newRow("16: 12.5 goes to the even 12") << "16"
                                                  << "LFEC='12'; DFEC='12'";
    QTest::newRow("400: 0.5 goes to the even 0") << "400"
                                                 << "LFEC='0'; DFEC='0'";
    QTest::newRow("30: 6.67 rounds up to 7") << "30"
                                             << "LFEC='7'; DFEC='7'";
    QTest::newRow("133: 1.50 and a bit rounds up to 2") << "133"
                                                        << "LFEC='2'; DFEC='2'";
    QTest::newRow("500: 0.4 rounds to 0") << "500"
                                          << "LFEC='0'; DFEC='0'";
    QTest::newRow("1 gives 200") << "1"
                                 << "LFEC='200'; DFEC='200'";
    QTest::newRow("-80: -2.5 goes to the even -2") << "-80"
                                                   << "LFEC='-2'; DFEC='-2'";
    QTest::newRow("-30: -6.67 rounds to -7") << "-30"
                                             << "LFEC='-7'; DFEC='-7'";
    QTest::newRow("-400: -0.5 is 0, not -0") << "-400"
                                             << "LFEC='0'; DFEC='0'";
    QTest::newRow("the smallest integer") << "-2147483648"
                                          << "LFEC='0'; DFEC='0'";
    QTest::newRow("exactly 0 is skipped without a message") << "0"
                                                            << "";
    QTest::newRow("empty is skipped") << ""
                                      << "";
    QTest::newRow("00: floating point division by zero") << "00"
                                                         << "!Floating point division by zero";
    QTest::newRow("-0: floating point division by zero") << "-0"
                                                         << "!Floating point division by zero";
    QTest::newRow("not a number") << "5%"
                                  << "!'5%' is not a valid integer value";
    QTest::newRow("beyond 32 bits") << "2147483648"
                                    << "!'2147483648' is not a valid integer value";
}

void FecTest::sizeFromOverhead() {
    QFETCH(QString, p);
    QFETCH(QString, expected);
    QCOMPARE(described(fec::fromPercent(fecView("9", "9", p))), expected);
}

void FecTest::boxes_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("l");
    QTest::addColumn<QString>("d");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* box, bool checked, const QString& l,
                  const QString& d, const char* expected) {
        QTest::newRow(name) << box << checked << l << d << expected;
    };
    row("FEC on with 4 and 4", "CEFEC", true, "4", "4", "A50787E4L4D%%%%%%<CR> ~100");
    row("FEC on with 10 and 5", "CEFEC", true, "10", "5", "A50887E10L5D%%%%%%<CR> ~100");
    row("FEC on with 100 and 10: length 10", "CEFEC", true, "100", "10",
        "A51087E100L10D%%%%%%<CR> ~100");
    row("FEC on with empty values", "CEFEC", true, "", "", "A50587ELD%%%%%%<CR> ~100");
    row("FEC on, values as typed", "CEFEC", true, "a", "-1", "A50887EaL-1D%%%%%%<CR> ~100");
    row("FEC on with 94 characters: length 99", "CEFEC", true, QString(90, '1'), "2222",
        qPrintable("A59987E" + QString(90, '1') + "L2222D%%%%%%<CR> ~100"));
    row("FEC on that would need length 100: a message, nothing sent", "CEFEC", true,
        QString(90, '1'), "22222",
        qPrintable("!'FEC L '" + QString(90, '1') +
                   "' and FEC D '22222' are too long to send to the board'"));
    row("FEC off whatever L and D hold", "CEFEC", false, "x", "", "A50387D<CR> ~100");
    row("FEC error on with L 12: length still 03", "ERRFEC", true, "12", "", "A50388Y12<CR> ~100");
    row("FEC error on with L empty", "ERRFEC", true, "", "4", "A50388Y<CR> ~100");
    row("FEC error off", "ERRFEC", false, "12", "4", "A50388N<CR> ~100");
}

void FecTest::boxes() {
    QFETCH(QString, box);
    QFETCH(bool, checked);
    QFETCH(QString, l);
    QFETCH(QString, d);
    QFETCH(QString, expected);
    const auto view = fecView(l, d);
    const plan::Plan p =
        box == "CEFEC" ? fec::planFecBox(checked, view) : fec::planFecErrorBox(checked, view);
    QCOMPARE(described(p), expected);
}

QTEST_APPLESS_MAIN(FecTest)
#include "fec_test.moc"
