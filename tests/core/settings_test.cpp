// Serial settings texts, the conf.ini codec and the udpf.ini lines.
#include "core/settings.h"
#include "support/bytes.h"

#include <QtTest>

using namespace corvane::settings;

namespace {

std::string str(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}

QString qs(std::string_view s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// One line that names every setting, so a mismatch shows which one differs.
QString describe(const SerialSettings& s) {
    static const char* rts[] = {"disable", "enable", "handshake"};
    return QStringLiteral("%1|%2|%3|%4|%5|%6|rts=%7 cts=%8 xout=%9 xin=%10")
        .arg(qs(s.portName), qs(toText(s.baudRate)), QString::number(s.customBaud),
             qs(toText(s.dataBits)), qs(toText(s.stopBits)), qs(toText(s.parity)),
             rts[int(s.flow.rts)], QString::number(s.flow.ctsOutputFlow),
             QString::number(s.flow.xonXoffOut), QString::number(s.flow.xonXoffIn));
}

// Settings that differ from the defaults in every field, so "unchanged" is visible.
SerialSettings oddStart() {
    SerialSettings s;
    s.portName = "COM7";
    s.baudRate = BaudRate::B4800;
    s.customBaud = 1234;
    s.dataBits = DataBits::Seven;
    s.stopBits = StopBits::Two;
    s.parity = Parity::Odd;
    applyFlowControl(s.flow, FlowControl::Hardware);
    return s;
}

const QString kHardware = "rts=handshake cts=1 xout=0 xin=0";
const QString kSoftware = "rts=disable cts=0 xout=1 xin=1";
const QString kNoFlow = "rts=disable cts=0 xout=0 xin=0";

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void listTextsRoundTrip();
    void flowControl();
    void statusText_data();
    void statusText();
    void readConf_data();
    void readConf();
    void writeConf_data();
    void writeConf();
    void confRoundTrip_data();
    void confRoundTrip();
    void iniDocumentKeepsOrder();
    void readUdp_data();
    void readUdp();
    void writeUdp();
};

void SettingsTest::listTextsRoundTrip() {
    // Every list text converts to its own position and back, whatever its capitalisation.
    for (std::size_t i = 0; i < kBaudRateTexts.size(); ++i) {
        QCOMPARE(int(baudRateFromText(kBaudRateTexts[i])), int(i));
        QCOMPARE(toText(BaudRate(i)), kBaudRateTexts[i]);
    }
    for (std::size_t i = 0; i < kParityTexts.size(); ++i) {
        std::string upper(kParityTexts[i]);
        for (auto& c : upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        QCOMPARE(int(parityFromText(upper)), int(i));
    }
    for (std::size_t i = 0; i < kFlowControlTexts.size(); ++i)
        QCOMPARE(int(flowControlFromText(kFlowControlTexts[i])), int(i));
    QCOMPARE(int(stopBitsFromText("1.5")), int(StopBits::OnePointFive));
    QCOMPARE(dataBitsValue(dataBitsFromText("5")), 5);
    QCOMPARE(dataBitsValue(DataBits::Eight), 8);

    // Near misses are not matches.
    QCOMPARE(baudRateFromText(" 9600"), BaudRate::B9600);   // fallback, not a match
    QCOMPARE(baudRateFromText("115200 "), BaudRate::B9600); // trailing space: fallback
    QCOMPARE(parityFromText("Ev"), Parity::None);
    QCOMPARE(flowControlFromText(""), FlowControl::Custom);
}

void SettingsTest::flowControl() {
    FlowSettings f;
    QCOMPARE(flowControlOf(f), FlowControl::None);
    for (auto fc : {FlowControl::Hardware, FlowControl::Software, FlowControl::None}) {
        applyFlowControl(f, fc);
        QCOMPARE(flowControlOf(f), fc);
    }
    // Custom keeps whatever mix is there.
    FlowSettings mix{RtsControl::Enable, true, false, true};
    FlowSettings kept = mix;
    applyFlowControl(kept, FlowControl::Custom);
    QVERIFY(kept == mix);
    QCOMPARE(flowControlOf(mix), FlowControl::Custom);
    // Software after Hardware turns the RTS handshake and CTS flow off.
    applyFlowControl(f, FlowControl::Hardware);
    applyFlowControl(f, FlowControl::Software);
    QVERIFY((f == FlowSettings{RtsControl::Disable, false, true, true}));
}

void SettingsTest::statusText_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults") << "COM1" << int(BaudRate::B115200) << int(DataBits::Eight)
                              << int(Parity::None) << int(StopBits::One)
                              << "RS232 Connected to :COM1  115200,8,N,1";
    QTest::newRow("9600 7E2") << "COM3" << int(BaudRate::B9600) << int(DataBits::Seven)
                              << int(Parity::Even) << int(StopBits::Two)
                              << "RS232 Connected to :COM3  9600,7,E,2";
    QTest::newRow("256000") << "ttyUSB0" << int(BaudRate::B256000) << int(DataBits::Five)
                            << int(Parity::Odd) << int(StopBits::OnePointFive)
                            << "RS232 Connected to :ttyUSB0  256000,5,O,1.5";
    QTest::newRow("custom rate") << "/dev/pts/4" << int(BaudRate::Custom) << int(DataBits::Six)
                                 << int(Parity::Mark) << int(StopBits::One)
                                 << "RS232 Connected to :/dev/pts/4  Brc,6,M,1";
    QTest::newRow("space parity, empty name")
        << "" << int(BaudRate::B110) << int(DataBits::Eight) << int(Parity::Space)
        << int(StopBits::One) << "RS232 Connected to :  110,8,S,1";
}

void SettingsTest::statusText() {
    QFETCH(QString, port);
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    QFETCH(QString, expected);
    SerialSettings s;
    s.portName = port.toStdString();
    s.baudRate = BaudRate(baud);
    s.dataBits = DataBits(dataBits);
    s.parity = Parity(parity);
    s.stopBits = StopBits(stopBits);
    QCOMPARE(qs(corvane::settings::statusText(s)), expected);
}

void SettingsTest::readConf_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    const QString unchanged = describe(oddStart());
    QTest::newRow("empty file") << QByteArray() << unchanged;
    QTest::newRow("no ComPort1 section")
        << QByteArray("[Other]\r\nPort=COM9\r\nBaudRate=300\r\n") << unchanged;
    QTest::newRow("full section, CR LF")
        << QByteArray("[ComPort1]\r\nPort=COM4\r\nBaudRate=57600\r\nStopBits=1\r\n"
                      "DataBits=8\r\nParity=None\r\nFlowControl=None\r\n")
        << "COM4|57600|1234|8|1|None|" + kNoFlow;
    QTest::newRow("LF only, lower case")
        << QByteArray("[comport1]\nport=COM2\nbaudrate=9600\nparity=even\nflowcontrol=software\n")
        << "COM2|9600|1234|7|2|Even|" + kSoftware;
    QTest::newRow("unknown texts fall back")
        << QByteArray("[ComPort1]\r\nBaudRate=12345\r\nStopBits=3\r\nDataBits=9\r\n"
                      "Parity=Evens\r\nFlowControl=Sometimes\r\n")
        << "COM7|9600|1234|8|1|None|" + kHardware; // flow "Custom" leaves the flow alone
    QTest::newRow("Custom without CustomBaudRate")
        << QByteArray("[ComPort1]\r\nBaudRate=Custom\r\n")
        << "COM7|Custom|9600|7|2|Odd|" + kHardware;
    QTest::newRow("Custom with CustomBaudRate")
        << QByteArray("[ComPort1]\r\nBaudRate=custom\r\nCustomBaudRate=31250\r\n")
        << "COM7|Custom|31250|7|2|Odd|" + kHardware;
    QTest::newRow("Custom with a bad CustomBaudRate")
        << QByteArray("[ComPort1]\r\nBaudRate=Custom\r\nCustomBaudRate=fast\r\n")
        << "COM7|Custom|9600|7|2|Odd|" + kHardware;
    QTest::newRow("Custom with a negative CustomBaudRate")
        << QByteArray("[ComPort1]\r\nBaudRate=Custom\r\nCustomBaudRate=-300\r\n")
        << "COM7|Custom|9600|7|2|Odd|" + kHardware;
    QTest::newRow("CustomBaudRate ignored unless Custom")
        << QByteArray("[ComPort1]\r\nBaudRate=300\r\nCustomBaudRate=31250\r\n")
        << "COM7|300|1234|7|2|Odd|" + kHardware;
    QTest::newRow("empty port is taken")
        << QByteArray("[ComPort1]\r\nPort=\r\n") << "|4800|1234|7|2|Odd|" + kHardware;
    QTest::newRow("only parity present")
        << QByteArray("[ComPort1]\r\nParity=Space\r\n") << "COM7|4800|1234|7|2|Space|" + kHardware;
    QTest::newRow("comments, blanks, garbage, spaces")
        << QByteArray("; settings\r\n\r\ngarbage without equals\r\n[ComPort1]\r\n"
                      "  Port = ttyUSB1  \r\n# note\r\n=orphan\r\n\xff\xfe\r\nStopBits=1.5\r\n")
        << "ttyUSB1|4800|1234|7|1.5|Odd|" + kHardware;
    QTest::newRow("first section and first key count")
        << QByteArray("[ComPort1]\r\nPort=COM5\r\nPort=COM6\r\n[ComPort1]\r\nPort=COM8\r\n"
                      "Parity=Mark\r\n")
        << "COM5|4800|1234|7|2|Odd|" + kHardware;
    QTest::newRow("keys of the next section not read")
        << QByteArray("[ComPort1]\r\nPort=COM5\r\n[Later]\r\nParity=Mark\r\n")
        << "COM5|4800|1234|7|2|Odd|" + kHardware;
    QTest::newRow("no final line end")
        << QByteArray("[ComPort1]\r\nDataBits=5") << "COM7|4800|1234|5|2|Odd|" + kHardware;
    QTest::newRow("unclosed header is not a section")
        << QByteArray("[ComPort1\r\nPort=COM9\r\n") << unchanged;
}

void SettingsTest::readConf() {
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    SerialSettings s = oddStart();
    applyConfIni(str(file), s);
    QCOMPARE(describe(s), expected);
}

void SettingsTest::writeConf_data() {
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("new file")
        << QByteArray() << "COM4" << int(BaudRate::B57600)
        << QByteArray("[ComPort1]\r\nPort=COM4\r\nBaudRate=57600\r\nStopBits=1\r\nDataBits=8\r\n"
                      "Parity=None\r\nFlowControl=None\r\n");
    QTest::newRow("custom rate written after BaudRate")
        << QByteArray() << "COM1" << int(BaudRate::Custom)
        << QByteArray("[ComPort1]\r\nPort=COM1\r\nBaudRate=Custom\r\nCustomBaudRate=31250\r\n"
                      "StopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n");
    QTest::newRow("foreign section and key kept, LF becomes CR LF")
        << QByteArray("; keep me\n[Other]\nA=1\n\n[ComPort1]\nPort=COM2\nExtra=yes\n"
                      "BaudRate=300\n\n[Tail]\nB=2")
        << "COM4" << int(BaudRate::B57600)
        << QByteArray("; keep me\r\n[Other]\r\nA=1\r\n\r\n[ComPort1]\r\nPort=COM4\r\nExtra=yes\r\n"
                      "BaudRate=57600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
                      "FlowControl=None\r\n\r\n[Tail]\r\nB=2\r\n");
    QTest::newRow("keys updated in place, case of section kept")
        << QByteArray("[comport1]\r\nparity=Odd\r\nPort=COM2\r\nFlowControl=Hardware\r\n"
                      "StopBits=2\r\nDataBits=7\r\nBaudRate=300\r\n")
        << "COM3" << int(BaudRate::B9600)
        << QByteArray("[comport1]\r\nParity=None\r\nPort=COM3\r\nFlowControl=None\r\n"
                      "StopBits=1\r\nDataBits=8\r\nBaudRate=9600\r\n");
    QTest::newRow("stale CustomBaudRate stays, unread")
        << QByteArray("[ComPort1]\r\nBaudRate=Custom\r\nCustomBaudRate=777\r\n") << "COM1"
        << int(BaudRate::B115200)
        << QByteArray("[ComPort1]\r\nBaudRate=115200\r\nCustomBaudRate=777\r\nPort=COM1\r\n"
                      "StopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n");
    QTest::newRow("line breaks in the port name cannot add lines")
        << QByteArray() << "COM1\r\n[Evil]\nX=1" << int(BaudRate::B9600)
        << QByteArray("[ComPort1]\r\nPort=COM1[Evil]X=1\r\nBaudRate=9600\r\nStopBits=1\r\n"
                      "DataBits=8\r\nParity=None\r\nFlowControl=None\r\n");
}

void SettingsTest::writeConf() {
    QFETCH(QByteArray, existing);
    QFETCH(QString, port);
    QFETCH(int, baud);
    QFETCH(QByteArray, expected);
    SerialSettings s;
    s.portName = port.toStdString();
    s.baudRate = BaudRate(baud);
    s.customBaud = 31250;
    QCOMPARE(bytes(writeConfIni(str(existing), s)), expected);
}

void SettingsTest::confRoundTrip_data() {
    QTest::addColumn<int>("preset");
    for (int i = 0; i < 4; ++i)
        QTest::addRow("preset %d", i) << i;
}

void SettingsTest::confRoundTrip() {
    // What is written is read back as the same settings, also over a foreign file.
    QFETCH(int, preset);
    SerialSettings s;
    switch (preset) {
    case 0:
        break;
    case 1:
        s = oddStart();
        break;
    case 2:
        s = oddStart();
        s.baudRate = BaudRate::Custom;
        s.customBaud = 250000;
        applyFlowControl(s.flow, FlowControl::Software);
        s.parity = Parity::Space;
        break;
    case 3:
        s.portName = "";
        s.stopBits = StopBits::OnePointFive;
        s.dataBits = DataBits::Five;
        s.parity = Parity::Mark;
        break;
    }
    std::string file = writeConfIni("[Other]\nPort=COM99\n", s);
    SerialSettings back;
    back.portName = "unchanged?";
    back.customBaud = 42;
    applyConfIni(file, back);
    if (s.baudRate != BaudRate::Custom)
        back.customBaud = s.customBaud; // not stored unless Custom
    QCOMPARE(describe(back), describe(s));
}

void SettingsTest::iniDocumentKeepsOrder() {
    IniDocument doc = IniDocument::parse("[B]\nz=1\ny=2\n[A]\nx=3\n[b]\nw=4\n");
    QCOMPARE(doc.sections(), (std::vector<std::string>{"B", "A"}));
    QCOMPARE(doc.keys("b"), (std::vector<std::string>{"z", "y"}));
    QCOMPARE(doc.value("A", "X"), std::string("3"));
    QVERIFY(!doc.has("A", "w"));
    doc.set("New", "k", "v");
    doc.set("A", "u", "5");
    QCOMPARE(
        bytes(doc.toText()),
        QByteArray("[B]\r\nz=1\r\ny=2\r\n[A]\r\nx=3\r\nu=5\r\n[b]\r\nw=4\r\n[New]\r\nk=v\r\n"));
}

void SettingsTest::readUdp_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("myIp");
    QTest::addColumn<QString>("boardIp");
    QTest::addColumn<QString>("port");

    QTest::newRow("CR LF") << QByteArray("192.168.1.10\r\n192.168.1.20\r\n8070\r\n")
                           << "192.168.1.10"
                           << "192.168.1.20"
                           << "8070";
    QTest::newRow("LF, no final line end") << QByteArray("10.0.0.1\n10.0.0.2\n9000") << "10.0.0.1"
                                           << "10.0.0.2"
                                           << "9000";
    QTest::newRow("two lines: port empty") << QByteArray("a\r\nb\r\n") << "a"
                                           << "b"
                                           << "";
    QTest::newRow("empty file") << QByteArray() << ""
                                << ""
                                << "";
    QTest::newRow("spaces kept") << QByteArray(" 10.0.0.1 \r\n\t\r\n8070 \r\n") << " 10.0.0.1 "
                                 << "\t"
                                 << "8070 ";
    QTest::newRow("blank middle line") << QByteArray("a\r\n\r\nc\r\n") << "a"
                                       << ""
                                       << "c";
    QTest::newRow("extra lines ignored") << QByteArray("a\nb\nc\nd\n") << "a"
                                         << "b"
                                         << "c";
}

void SettingsTest::readUdp() {
    QFETCH(QByteArray, file);
    QFETCH(QString, myIp);
    QFETCH(QString, boardIp);
    QFETCH(QString, port);
    UdpSettings u = parseUdpIni(str(file));
    QCOMPARE(qs(u.myIp), myIp);
    QCOMPARE(qs(u.boardIp), boardIp);
    QCOMPARE(qs(u.sourcePort), port);
}

void SettingsTest::writeUdp() {
    QCOMPARE(bytes(writeUdpIni({"192.168.1.10", "192.168.1.20", "8070"})),
             QByteArray("192.168.1.10\r\n192.168.1.20\r\n8070\r\n"));
    QCOMPARE(bytes(writeUdpIni({"", "", ""})), QByteArray("\r\n\r\n\r\n"));
    // A pasted line break cannot shift the other lines.
    UdpSettings u{"10.0.0.1\r\n", "10.0.\n0.2", "80\r70"};
    QCOMPARE(bytes(writeUdpIni(u)), QByteArray("10.0.0.1\r\n10.0.0.2\r\n8070\r\n"));
    QVERIFY((parseUdpIni(writeUdpIni({" a ", "b", "c"})) == UdpSettings{" a ", "b", "c"}));
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "settings_test.moc"
