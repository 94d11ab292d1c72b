// The stand-in board's command line: accepted forms, refused forms, and a help text that
// explains every option.
#include "options.h"

#include <QtTest>

using namespace corvane_board;

namespace {

std::vector<std::string> split(const QString& line) {
    std::vector<std::string> args;
    for (const QString& a : line.split(' ', Qt::SkipEmptyParts))
        args.push_back(a.toStdString());
    return args;
}

QString describe(const Options& o) {
    QStringList parts;
    parts << (o.udp ? QStringLiteral("udp=%1:%2")
                          .arg(QString::fromStdString(o.udpAddress))
                          .arg(o.udpPort)
                    : QStringLiteral("udp=off"));
    if (!o.ptyLink.empty())
        parts << "pty=" + QString::fromStdString(o.ptyLink);
    parts << (o.variant == Variant::Full ? "full" : "lumo");
    parts << QString::fromLatin1(moduleName(o.module11).data(), moduleName(o.module11).size()) +
                 "," +
                 QString::fromLatin1(moduleName(o.module12).data(), moduleName(o.module12).size());
    if (!o.detected11.empty())
        parts << "detected=" + QString::fromStdString(o.detected11 + "," + o.detected12);
    if (o.client != ClientState::Connected)
        parts << (o.client == ClientState::Disconnected ? "client=0" : "client=none");
    if (o.faults.silent)
        parts << "silent";
    if (o.faults.strict)
        parts << "strict";
    if (o.faults.startError)
        parts << QStringLiteral("start-error=%1").arg(o.faults.startError);
    if (o.delayMs)
        parts << QStringLiteral("delay=%1").arg(o.delayMs);
    if (o.split)
        parts << QStringLiteral("split=%1/%2").arg(o.split).arg(o.splitGapMs);
    if (o.noise)
        parts << QStringLiteral("noise/%1").arg(o.noiseSeed);
    if (!o.traceFile.empty())
        parts << "trace=" + QString::fromStdString(o.traceFile);
    if (o.help)
        parts << "help";
    return parts.join(' ');
}

} // namespace

class BoardOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void helpExplainsEveryOption();
};

void BoardOptionsTest::accepted_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("options");
    QTest::newRow("defaults") << ""
                              << "udp=127.0.0.1:6767 full SDI,Analog";
    QTest::newRow("udp address") << "--udp 127.0.0.2:7000"
                                 << "udp=127.0.0.2:7000 full SDI,Analog";
    QTest::newRow("udp with =") << "--udp=127.0.0.1:0"
                                << "udp=127.0.0.1:0 full SDI,Analog";
    QTest::newRow("udp port") << "--udp-port 9000"
                              << "udp=127.0.0.1:9000 full SDI,Analog";
    QTest::newRow("pty only") << "--no-udp --pty demo/ttyCORVANE"
                              << "udp=off pty=demo/ttyCORVANE full SDI,Analog";
    QTest::newRow("lumo default modules") << "--variant lumo"
                                          << "udp=127.0.0.1:6767 lumo SDI,HDMI";
    QTest::newRow("lumo modules") << "--variant lumo --modules hdmi,None"
                                  << "udp=127.0.0.1:6767 lumo HDMI,None";
    QTest::newRow("detected") << "--detected 2b,1"
                              << "udp=127.0.0.1:6767 full SDI,Analog detected=2B,01";
    QTest::newRow("client") << "--client 0"
                            << "udp=127.0.0.1:6767 full SDI,Analog client=0";
    QTest::newRow("client none") << "--client none"
                                 << "udp=127.0.0.1:6767 full SDI,Analog client=none";
    QTest::newRow("faults") << "--silent --strict --start-error 12 --delay 250 --split 8 "
                               "--split-gap 5 --noise --noise-seed 9"
                            << "udp=127.0.0.1:6767 full SDI,Analog silent strict start-error=12 "
                               "delay=250 split=8/5 noise/9";
    QTest::newRow("trace") << "--trace /tmp/t.log"
                           << "udp=127.0.0.1:6767 full SDI,Analog trace=/tmp/t.log";
    QTest::newRow("help") << "-h"
                          << "udp=127.0.0.1:6767 full SDI,Analog help";
    QTest::newRow("help without links") << "--no-udp --help"
                                        << "udp=off full SDI,Analog help";
}

void BoardOptionsTest::accepted() {
    QFETCH(QString, args);
    QFETCH(QString, options);
    const auto parsed = parseOptions(split(args));
    if (const auto* error = std::get_if<std::string>(&parsed))
        QFAIL(error->c_str());
    QCOMPARE(describe(std::get<Options>(parsed)), options);
}

void BoardOptionsTest::refused_data() {
    QTest::addColumn<QString>("args");
    QTest::newRow("unknown") << "--loud";
    QTest::newRow("udp without port") << "--udp 127.0.0.1";
    QTest::newRow("udp port too big") << "--udp 127.0.0.1:70000";
    QTest::newRow("udp missing value") << "--udp";
    QTest::newRow("port letters") << "--udp-port six";
    QTest::newRow("no link at all") << "--no-udp";
    QTest::newRow("no-udp and udp") << "--udp-port 5 --no-udp";
    QTest::newRow("variant") << "--variant small";
    QTest::newRow("one module") << "--modules SDI";
    QTest::newRow("three modules") << "--modules SDI,SDI,SDI";
    QTest::newRow("bad module") << "--modules SDI,DVI";
    QTest::newRow("detected not hex") << "--detected 2G,01";
    QTest::newRow("detected three digits") << "--detected 12B,01";
    QTest::newRow("client 2") << "--client 2";
    QTest::newRow("start error 13") << "--start-error 13";
    QTest::newRow("negative delay") << "--delay -5";
    QTest::newRow("split letters") << "--split ten";
    QTest::newRow("firmware with AA") << "--firmware xAAx";
    QTest::newRow("flag with value") << "--silent=1";
    QTest::newRow("noise seed 0") << "--noise-seed 0";
}

void BoardOptionsTest::refused() {
    QFETCH(QString, args);
    const auto parsed = parseOptions(split(args));
    QVERIFY2(std::holds_alternative<std::string>(parsed), qPrintable(args));
    QVERIFY(!std::get<std::string>(parsed).empty());
}

void BoardOptionsTest::helpExplainsEveryOption() {
    const QString help = QString::fromStdString(helpText());
    const char* names[] = {"--udp",       "--udp-port", "--no-udp",     "--pty",
                           "--variant",   "--modules",  "--detected",   "--client",
                           "--firmware",  "--silent",   "--delay",      "--split",
                           "--split-gap", "--noise",    "--noise-seed", "--start-error",
                           "--strict",    "--trace",    "--help"};
    for (const char* name : names) {
        QVERIFY2(help.contains(QLatin1String(name) + ' '), name);
        // Every option the help names is one the parser knows (a value-taking option
        // without its value is refused for the missing value, not as unknown).
        const auto parsed = parseOptions({name});
        if (const auto* error = std::get_if<std::string>(&parsed))
            QVERIFY2(error->find("unknown option") == std::string::npos, name);
    }
}

QTEST_GUILESS_MAIN(BoardOptionsTest)
#include "board_options_test.moc"
