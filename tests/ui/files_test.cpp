// The server configuration file and the SDP files through the windows: the menu items and the RTP
// dialog's buttons, the file dialogs (answered by the recorder), the bytes on disk and the
// messages.
#include "app/widgets.h"
#include "app/windows.h"
#include "core/server_record.h"
#include "support/program.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace rec = corvane::record;

namespace {

QByteArray bytesOf(const rec::ServerConfigRecord& r) {
    const rec::RecordBytes b = rec::encodeRecord(r);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

rec::ServerConfigRecord defaults() {
    rec::ServerConfigRecord r;
    rec::applyFactoryDefaults(r);
    return r;
}

// A record whose every field differs from the defaults and from what the windows show at start.
rec::ServerConfigRecord crafted() {
    rec::ServerConfigRecord r = defaults();
    r.Input11 = 3;  // "HD SDI 720P30"
    r.Input12 = 17; // "Analog PAL BAR", as older files hold it
    r.Width11 = 1920;
    r.Height11 = 1080;
    r.BitRate11 = 4000;
    r.Gop11 = 60;
    r.Fps11 = 25;
    r.Format11 = 1;
    r.Height12 = 576;
    r.Width12 = 720;
    r.BitRate12 = 1500;
    r.Gop12 = 12;
    r.Fps12 = 50;
    rec::setText(r.StaticIp, "10.1.2.3");
    r.ControlInterface = 1;
    r.AutoStart = 2;
    rec::setText(r.GatewayIp, "10.1.2.254");
    r.Audio11 = 1;
    r.RecHeight11 = 480;
    r.RecWidth11 = 640;
    r.RecBitRate11 = 800;
    r.RecGop11 = 15;
    r.RecFps11 = 24;
    r.RecHeight12 = 240;
    r.RecWidth12 = 320;
    r.RecordSelect = 2;
    rec::setText(r.Mtu, "1400");
    r.InputAutoDetect = 1;
    rec::setText(r.RtpDestIp11, "127.0.0.11");
    rec::setText(r.RtpDestIp12, "127.0.0.12");
    r.RtpSession11 = 'M';
    r.RtpSession12 = 'U';
    rec::setText(r.RtpPort11, "5004");
    rec::setText(r.RtpPort12, "5006");
    rec::setText(r.RtpMulticastIp11, "239.255.42.11");
    rec::setText(r.RtpMulticastIp12, "239.255.42.12");
    r.ModeLetter = 'B';
    r.FecEnable = 'E';
    r.CameraMode = 1;
    r.Reserved = {0x5a, 0xa5};
    r.FecL = 4;
    r.FecD = 5;
    rec::setText(r.UdprsDestIp, "127.0.0.20");
    r.UdprsMode = 'Y';
    rec::setText(r.SubnetMask, "255.255.0.0");
    r.RateControl11 = 2;
    r.RateControl12 = 1;
    return r;
}

// What the named controls of the three windows show: "Bit1='4000' Res1=0 UDPCheck:on".
QString shown(const RunningProgram& p, const QString& names) {
    QStringList out;
    for (const QString& n : names.split(' ', Qt::SkipEmptyParts)) {
        QWidget* w = nullptr;
        for (QWidget* window : {static_cast<QWidget*>(p.f), static_cast<QWidget*>(p.w->Form3),
                                static_cast<QWidget*>(p.w->Form5)})
            if (!w)
                w = window->findChild<QWidget*>(n);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            out << n + "='" + e->text() + "'";
        else if (auto* l = qobject_cast<QComboBox*>(w))
            out << n + "=" + QString::number(l->currentIndex());
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            out << n + (b->isChecked() ? ":on" : ":off");
        else if (auto* c = qobject_cast<QLabel*>(w))
            out << n + "^'" + c->text() + "'";
        else
            qFatal("no control %s", qPrintable(n));
    }
    return out.join(' ');
}

void trigger(const RunningProgram& p, const char* action) {
    child<QAction>(p.f, action)->trigger();
}

void setLittleEndian(QByteArray& bytes, int offset, qint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char(quint32(value) >> (8 * i));
}

} // namespace

// What the operator was told, leaving out the "not connected" notes of the check boxes that
// opening a record changes: their handlers send, and no link is open in these tests.
QStringList fileMessages(const RunningProgram& p) {
    QStringList out = p.prompts.texts();
    out.removeAll(QStringLiteral("Please Connect First !! "));
    return out;
}

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void openCraftedRecord();
    void createDefaultThenOpen();
    void cancelledSaveWritesNothing();
    void updateWritesTheFileOpened();
    void badNumberLeavesTheFile();
    void shortFileKeepsTheRest();
    void longFileIsReadToTheRecord();
    void missingFileChangesNothing();
    void readOnlyFolderKeepsTheOldFile_data();
    void readOnlyFolderKeepsTheOldFile();
    void sdpFiles();
};

// A cancelled open dialog still reads "rtspserver.dat" in the working directory.
void FilesTest::openCraftedRecord() {
    RunningProgram p;
    p.dir.write("rtspserver.dat", bytesOf(crafted()));
    trigger(p, "OpenConfigurationFile1");
    QCOMPARE(fileMessages(p), QStringList());
    QCOMPARE(shown(p, "PARTP AutoDetect UDPCheck RS232Check RTP11_S RTP12_S MTUB"),
             "PARTP^'RTP 12' AutoDetect:on UDPCheck:off RS232Check:on RTP11_S=1 RTP12_S=0 "
             "MTUB='1400'");
    QCOMPARE(shown(p, "S1I S2I ERec1 ERec2 Res1 Gop1 Bit1 fps1 Res2 Gop2 Bit2 fps2"),
             "S1I=3 S2I=6 ERec1:off ERec2:on Res1=0 Gop1='60' Bit1='4000' fps1='25' Res2=2 "
             "Gop2='12' Bit2='1500' fps2='50'");
    QCOMPARE(p.f->Board.ch11, (corvane::variant::ModuleFlags{true, false, false}));
    QCOMPARE(p.f->Board.ch12, (corvane::variant::ModuleFlags{false, true, false}));
    QCOMPARE(shown(p, "AutStart Efmt1 S1Aud S2Aud Efmt2"),
             "AutStart:on Efmt1=0 S1Aud:on S2Aud:off Efmt2=1");
    QVERIFY(p.f->StreamingOn);
    QCOMPARE(child<ShapeIndicator>(p.f, "Rec1")->fillColor(), QColor(0, 255, 0));
    QCOMPARE(shown(p, "RecRes1 RecGop1 RecBit1 Recfps1 RecRes2"),
             "RecRes1=4 RecGop1='15' RecBit1='800' Recfps1='24' RecRes2=5");
    QCOMPARE(shown(p, "RTP11_IP RTP12_IP RTP11_Port RTP12_Port RTP11_M RTP12_M ipb gwp"),
             "RTP11_IP='127.0.0.11' RTP12_IP='127.0.0.12' RTP11_Port='5004' "
             "RTP12_Port='5006' RTP11_M='239.255.42.11' RTP12_M='239.255.42.12' "
             "ipb='10.1.2.3' gwp='10.1.2.254'");
    QCOMPARE(shown(p, "FixCheck MovCheck CEFEC LFEC DFEC UDPRSB UDPRSIPB SubB"),
             "FixCheck:on MovCheck:off CEFEC:on LFEC='4' DFEC='5' UDPRSB:on "
             "UDPRSIPB='127.0.0.20' SubB='255.255.0.0'");
    QCOMPARE(shown(p, "CBR11B VBR11B CBR12B VBR12B"), "CBR11B:off VBR11B:on CBR12B:on VBR12B:off");
    // Only the caption shows the mode; the mode letter that Save Config. sends stays.
    QCOMPARE(p.f->StreamModeLetter, std::string());
}

void FilesTest::createDefaultThenOpen() {
    RunningProgram p;
    const QString path = p.dir.file("default.dat");
    p.prompts.fileAnswers = {path};
    trigger(p, "CreateDefaultConfigurationfile2");
    QCOMPARE(fileMessages(p), QStringList());
    QCOMPARE(p.dir.read("default.dat"), bytesOf(defaults()));
    QCOMPARE(shown(p, "Bit1 PARTP"), "Bit1='' PARTP^'RTSP'"); // the windows are not changed

    p.prompts.fileAnswers = {path};
    trigger(p, "OpenConfigurationFile1");
    QCOMPARE(fileMessages(p), QStringList());
    QCOMPARE(shown(p, "Res1 Bit1 Gop1 fps1 Efmt1 Res2 Bit2 Gop2 fps2 Efmt2 S1I S2I"),
             "Res1=1 Bit1='2000' Gop1='30' fps1='30' Efmt1=1 Res2=1 Bit2='2000' Gop2='30' "
             "fps2='30' Efmt2=1 S1I=1 S2I=1");
    QCOMPARE(shown(p, "ipb gwp MTUB SubB UDPCheck RS232Check AutoDetect AutStart CEFEC UDPRSB "
                      "LFEC PARTP"),
             "ipb='192.168.0.245' gwp='192.168.0.254' MTUB='1500' SubB='255.255.255.0' "
             "UDPCheck:on RS232Check:off AutoDetect:off AutStart:off CEFEC:off UDPRSB:off "
             "LFEC='6' PARTP^'RTSP'");
    QCOMPARE(shown(p, "RTP11_S RTP11_IP RTP11_Port RTP12_S RTP12_IP RTP12_Port RTP11_M RTP12_M"),
             "RTP11_S=0 RTP11_IP='192.168.0.20' RTP11_Port='1234' RTP12_S=1 "
             "RTP12_IP='192.168.0.21' RTP12_Port='7080' RTP11_M='225.1.1.1' "
             "RTP12_M='225.1.1.1'");
    QVERIFY(!p.f->StreamingOn);
}

// A cancelled save dialog writes nothing, not even over the file the open dialog names.
void FilesTest::cancelledSaveWritesNothing() {
    RunningProgram p;
    p.dir.write("rtspserver.dat", "old");
    trigger(p, "CreateDefaultConfigurationfile2");
    QCOMPARE(fileMessages(p), QStringList());
    QCOMPARE(QDir(p.dir.path()).entryList({"*.dat"}, QDir::Files), QStringList{"rtspserver.dat"});
    QCOMPARE(p.dir.read("rtspserver.dat"), QByteArray("old"));
}

// Update writes the file picked in the open dialog, whatever the working directory is now; the
// bytes are those read, with what the operator changed.
void FilesTest::updateWritesTheFileOpened() {
    RunningProgram p;
    QDir(p.dir.path()).mkdir("sub");
    const QString path = p.dir.file("sub/board.dat");
    const QByteArray original = bytesOf(crafted());
    p.dir.write("sub/board.dat", original);
    p.prompts.fileAnswers = {path};
    trigger(p, "OpenConfigurationFile1");
    QCOMPARE(fileMessages(p), QStringList());

    child<QLineEdit>(p.f, "Bit1")->setText("6000");
    child<QLineEdit>(p.w->Form5, "RTP12_Port")->setText("123456789");
    QVERIFY(QDir::setCurrent(p.dir.file("sub")));
    trigger(p, "UpdateConfigurationFile1");
    QVERIFY(QDir::setCurrent(p.dir.path()));
    QCOMPARE(fileMessages(p), QStringList());

    QByteArray expected = original;
    setLittleEndian(expected, 12, 6000);
    setLittleEndian(expected, 28, 23);   // "Analog PAL BAR" by the code the board uses, not 17
    expected.replace(233, 7, "1234567"); // cut at the field's width
    QCOMPARE(p.dir.read("sub/board.dat").toHex(' '), expected.toHex(' '));
    QVERIFY(!QFile::exists(p.dir.file("rtspserver.dat")));
}

void FilesTest::badNumberLeavesTheFile() {
    RunningProgram p;
    p.dir.write("rtspserver.dat", bytesOf(defaults()));
    trigger(p, "OpenConfigurationFile1");
    child<QLineEdit>(p.f, "Bit1")->clear();
    trigger(p, "UpdateConfigurationFile1");
    QCOMPARE(fileMessages(p), QStringList{"'' is not a valid integer value"});
    QCOMPARE(p.dir.read("rtspserver.dat"), bytesOf(defaults()));
}

// A file of fewer than 341 bytes is taken without a message; the record keeps the rest from the
// file read before, and an update writes all 341 bytes.
void FilesTest::shortFileKeepsTheRest() {
    RunningProgram p;
    p.dir.write("rtspserver.dat", bytesOf(crafted()));
    trigger(p, "OpenConfigurationFile1");
    p.dir.write("short.dat", bytesOf(defaults()).left(60)); // up to the static IP
    p.prompts.fileAnswers = {p.dir.file("short.dat")};
    trigger(p, "OpenConfigurationFile1");
    // Said once, after the values are shown.
    QCOMPARE(fileMessages(p),
             QStringList{"short.dat holds 60 bytes, not 341: the values past them were kept."});
    QCOMPARE(shown(p, "Bit1 ipb RTP11_Port"), "Bit1='2000' ipb='192..2.3' RTP11_Port='5004'");
    trigger(p, "UpdateConfigurationFile1");
    const QByteArray written = p.dir.read("short.dat");
    QCOMPARE(written.size(), 341);
    QCOMPARE(written.mid(226, 7), QByteArray("5004\0\0\0", 7));
}

void FilesTest::longFileIsReadToTheRecord() {
    RunningProgram p;
    p.dir.write("rtspserver.dat", bytesOf(crafted()) + QByteArray(59, '\x7f'));
    trigger(p, "OpenConfigurationFile1");
    QCOMPARE(fileMessages(p), QStringList{"rtspserver.dat holds 400 bytes, not 341: only its first "
                                          "341 bytes were read."});
    QCOMPARE(shown(p, "Bit1 ipb MTUB"), "Bit1='4000' ipb='10.1.2.3' MTUB='1400'");
    // A file of the record's size is read without a word.
    p.prompts.messages.clear();
    p.dir.write("exact.dat", bytesOf(defaults()));
    p.prompts.fileAnswers = {p.dir.file("exact.dat")};
    trigger(p, "OpenConfigurationFile1");
    QCOMPARE(fileMessages(p), QStringList());
}

void FilesTest::missingFileChangesNothing() {
    RunningProgram p;
    child<QLineEdit>(p.f, "Bit1")->setText("777");
    trigger(p, "OpenConfigurationFile1");
    QCOMPARE(fileMessages(p), QStringList{"Cannot read " + p.dir.file("rtspserver.dat") +
                                          ": No such file or directory"});
    QCOMPARE(shown(p, "Bit1 UDPCheck"), "Bit1='777' UDPCheck:off");
}

// A write that fails leaves the previous file whole and tells the operator.
void FilesTest::readOnlyFolderKeepsTheOldFile_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("update") << "rtspserver.dat";
    QTest::newRow("create default") << "default.dat";
    QTest::newRow("SDP file") << "11.sdp";
}

void FilesTest::readOnlyFolderKeepsTheOldFile() {
    QFETCH(QString, file);
    RunningProgram p;
    p.dir.write("rtspserver.dat", bytesOf(crafted()));
    trigger(p, "OpenConfigurationFile1");
    child<QComboBox>(p.w->Form5, "RTP11_S")->setCurrentIndex(0);
    child<QLineEdit>(p.f, "Bit1")->setText("6000");
    p.dir.write(file, "previous contents");
    if (!makeReadOnly(p.dir.path(), true))
        QSKIP("cannot make a directory read-only here");
    QFile probe(p.dir.file("probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        makeReadOnly(p.dir.path(), false);
        QSKIP("the directory stays writable here");
    }
    if (file == "rtspserver.dat") {
        trigger(p, "UpdateConfigurationFile1");
    } else if (file == "default.dat") {
        p.prompts.fileAnswers = {p.dir.file(file)};
        trigger(p, "CreateDefaultConfigurationfile2");
    } else {
        child<QPushButton>(p.w->Form5, "BitBtn3")->click();
    }
    makeReadOnly(p.dir.path(), false);
    QCOMPARE(fileMessages(p).size(), 1);
    QVERIFY2(fileMessages(p)[0].startsWith("Cannot write " + p.dir.file(file) + ": "),
             qPrintable(fileMessages(p)[0]));
    QCOMPARE(p.dir.read(file), QByteArray("previous contents"));
}

// Each button writes its stream's file into the working directory of the moment; with no format
// or no session type nothing is written and nothing said.
void FilesTest::sdpFiles() {
    RunningProgram p;
    auto* efmt1 = child<QComboBox>(p.f, "Efmt1");
    auto* session11 = child<QComboBox>(p.w->Form5, "RTP11_S");
    child<QLineEdit>(p.f, "ipb")->setText("10.1.2.3");
    child<QComboBox>(p.f, "Efmt2")->setCurrentIndex(1);
    child<QLineEdit>(p.w->Form5, "RTP11_Port")->setText("5004");
    child<QLineEdit>(p.w->Form5, "RTP11_M")->setText("239.255.42.11");
    child<QLineEdit>(p.w->Form5, "RTP12_Port")->setText("5006");
    child<QLineEdit>(p.w->Form5, "RTP12_M")->setText("239.255.42.12");
    child<QComboBox>(p.w->Form5, "RTP12_S")->setCurrentIndex(1);
    auto* button11 = child<QPushButton>(p.w->Form5, "BitBtn3");
    auto* button12 = child<QPushButton>(p.w->Form5, "BitBtn4");

    button11->click(); // nothing selected in Efmt1 or RTP11_S
    efmt1->setCurrentIndex(0);
    button11->click(); // nothing selected in RTP11_S
    QCOMPARE(QDir(p.dir.path()).entryList({"*.sdp"}, QDir::Files), QStringList());

    session11->setCurrentIndex(0);
    button11->click();
    const QByteArray tail = "t=0 0\r\na=tool:libavformat 54.62.100\r\n"
                            "a=transform:1,0,0;0,1,0;0,0,1\r\na=control:trackID=0\r\n";
    QCOMPARE(p.dir.read("11.sdp"),
             "v=0\r\no=- 0 0 IN IP4 10.1.2.3\r\ns=11\r\nc=IN IP4 0.0.0.0\r\n" + tail +
                 "m=video 5004 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\n"
                 "a=fmtp:96 profile-space=0;profile-id=1;tier-flag=0;"
                 "level-id=0\r\n");
    session11->setCurrentIndex(1);
    efmt1->setCurrentIndex(1);
    p.dir.write("11.sdp", "kept");
    button11->click();
    QCOMPARE(p.dir.read("11.sdp"), QByteArray("kept"));
    QCOMPARE(p.dir.read("11M.sdp"),
             "v=0\r\no=- 0 0 IN IP4 239.255.42.11\r\ns=11\r\nc=IN IP4 239.255.42.11\r\n" + tail +
                 "m=video 5004 RTP/AVP 98\r\na=rtpmap:98 H265/90000\r\n"
                 "a=fmtp:98 profile-space=0;profile-id=1;tier-flag=0;level-id=0\r\n");

    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    button12->click();
    QVERIFY(QDir::setCurrent(p.dir.path()));
    QVERIFY(!QFile::exists(p.dir.file("12M.sdp")));
    QFile written(elsewhere.filePath("12M.sdp"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().startsWith("v=0\r\no=- 0 0 IN IP4 239.255.42.12\r\ns=12\r\n"));
    QCOMPARE(fileMessages(p), QStringList());
}

QTEST_MAIN(FilesTest)
#include "files_test.moc"
