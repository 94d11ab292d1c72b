// The server configuration record: its bytes at their offsets, the factory defaults, reading
// short and long files, the input codes, and what opening and updating do between the record and
// the windows.
#include "core/bytes.h"
#include "core/server_record.h"
#include "support/actions.h"
#include "support/board_presets.h"
#include "support/view_apply.h"
#include "support/view_text.h"

#include <QRandomGenerator>

#include <QtTest>

using namespace corvane;
using controls::Applied;
using controls::ConfigView;
using controls::Ctl;
using record::ServerConfigRecord;
using variant::Channel;

namespace {

// The file's layout, written out here on its own so that the codec is checked against it.
// Kinds: i 32-bit integer, u byte, c letter, t text, r reserved bytes.
struct FieldLayout {
    const char* name;
    int offset;
    int width;
    char kind;
};
constexpr FieldLayout kFields[] = {
    {"Input11", 0, 4, 'i'},
    {"Width11", 4, 4, 'i'},
    {"Height11", 8, 4, 'i'},
    {"BitRate11", 12, 4, 'i'},
    {"Gop11", 16, 4, 'i'},
    {"Fps11", 20, 4, 'i'},
    {"Format11", 24, 4, 'i'},
    {"Input12", 28, 4, 'i'},
    {"Width12", 32, 4, 'i'},
    {"Height12", 36, 4, 'i'},
    {"BitRate12", 40, 4, 'i'},
    {"Gop12", 44, 4, 'i'},
    {"Fps12", 48, 4, 'i'},
    {"Format12", 52, 4, 'i'},
    {"StaticIp", 56, 20, 't'},
    {"ControlInterface", 76, 4, 'i'},
    {"AutoStart", 80, 4, 'i'},
    {"GatewayIp", 84, 20, 't'},
    {"Audio11", 104, 4, 'i'},
    {"Audio12", 108, 4, 'i'},
    {"RecWidth11", 112, 4, 'i'},
    {"RecHeight11", 116, 4, 'i'},
    {"RecBitRate11", 120, 4, 'i'},
    {"RecGop11", 124, 4, 'i'},
    {"RecFps11", 128, 4, 'i'},
    {"RecWidth12", 132, 4, 'i'},
    {"RecHeight12", 136, 4, 'i'},
    {"RecBitRate12", 140, 4, 'i'},
    {"RecGop12", 144, 4, 'i'},
    {"RecFps12", 148, 4, 'i'},
    {"RecordSelect", 152, 4, 'i'},
    {"Mtu", 156, 4, 't'},
    {"InputAutoDetect", 160, 4, 'i'},
    {"RtpDestIp11", 164, 30, 't'},
    {"RtpDestIp12", 194, 30, 't'},
    {"RtpSession11", 224, 1, 'c'},
    {"RtpSession12", 225, 1, 'c'},
    {"RtpPort11", 226, 7, 't'},
    {"RtpPort12", 233, 7, 't'},
    {"RtpMulticastIp11", 240, 16, 't'},
    {"RtpMulticastIp12", 256, 16, 't'},
    {"ModeLetter", 272, 1, 'c'},
    {"FecEnable", 273, 1, 'c'},
    {"CameraMode", 274, 4, 'i'},
    {"Reserved", 278, 2, 'r'},
    {"FecL", 280, 1, 'u'},
    {"FecD", 281, 1, 'u'},
    {"UdprsDestIp", 282, 30, 't'},
    {"UdprsMode", 312, 1, 'c'},
    {"SubnetMask", 313, 20, 't'},
    {"RateControl11", 333, 4, 'i'},
    {"RateControl12", 337, 4, 'i'},
};

const FieldLayout& fieldNamed(const QString& name) {
    for (const FieldLayout& f : kFields)
        if (name == f.name)
            return f;
    qFatal("no field %s", qPrintable(name));
}

QByteArray image(const ServerConfigRecord& r) {
    const record::RecordBytes b = record::encodeRecord(r);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

ServerConfigRecord fromImage(const QByteArray& bytes) {
    record::RecordBytes b{};
    std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), qsizetype(b.size())), b.begin());
    return record::decodeRecord(b);
}

qint32 int32At(const QByteArray& img, int offset) {
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(quint8(img[offset + i])) << (8 * i);
    return qint32(v);
}

// A field as text: integers and bytes in decimal, letters as themselves, texts quoted with the
// trailing zero bytes left out (a zero inside shows as \0), reserved bytes in hex.
QString valueOf(const QByteArray& img, const QString& name) {
    const FieldLayout& f = fieldNamed(name);
    const QByteArray raw = img.mid(f.offset, f.width);
    switch (f.kind) {
    case 'i':
        return QString::number(int32At(img, f.offset));
    case 'u':
        return QString::number(quint8(raw[0]));
    case 'c':
        return raw[0] == '\0' ? QStringLiteral("\\0") : QString(QChar::fromLatin1(raw[0]));
    case 't': {
        QByteArray t = raw;
        while (t.endsWith('\0'))
            t.chop(1);
        return "'" + QString::fromLatin1(t).replace(QChar(0), "\\0") + "'";
    }
    default:
        return QString::fromLatin1(raw.toHex(' '));
    }
}

// "Width11 Height11" -> "Width11=1280 Height11=720".
QString fieldsOf(const ServerConfigRecord& r, const QString& names) {
    const QByteArray img = image(r);
    QStringList out;
    for (const QString& n : names.split(' ', Qt::SkipEmptyParts))
        out << n + "=" + valueOf(img, n);
    return out.join(' ');
}

// "Height11=576 StaticIp='10.0.0.5' ModeLetter=X Reserved=ab cd": fields written straight into
// the bytes (texts zero-filled and cut at the field's width).
ServerConfigRecord withFields(const ServerConfigRecord& base, const QString& changes) {
    QByteArray img = image(base);
    for (const QString& change : changes.split(' ', Qt::SkipEmptyParts)) {
        const auto eq = change.indexOf('=');
        const FieldLayout& f = fieldNamed(change.left(eq));
        QString value = change.mid(eq + 1);
        switch (f.kind) {
        case 'i': {
            const quint32 v = quint32(value.toInt());
            for (int i = 0; i < 4; ++i)
                img[f.offset + i] = char(v >> (8 * i));
            break;
        }
        case 'u':
            img[f.offset] = char(value.toInt());
            break;
        case 'c':
            img[f.offset] = value.isEmpty() ? '\0' : value[0].toLatin1();
            break;
        case 't': {
            const QByteArray t = value.mid(1, value.size() - 2).toLatin1();
            for (int i = 0; i < f.width; ++i)
                img[f.offset + i] = i < t.size() ? t[i] : '\0';
            break;
        }
        default: {
            const QByteArray b = QByteArray::fromHex(value.toLatin1());
            for (int i = 0; i < f.width && i < b.size(); ++i)
                img[f.offset + i] = b[i];
        }
        }
    }
    return fromImage(img);
}

// "01 00 00 00", "'1500'", "'192.168.0.20' 00x18": hex bytes, quoted ASCII, a byte repeated.
QByteArray bytesOf(const QString& notation) {
    QByteArray out;
    static const QRegularExpression token("'([^']*)'|([0-9a-f]{2})x(\\d+)|([0-9a-f]{2})");
    auto it = token.globalMatch(notation);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.hasCaptured(1))
            out += m.captured(1).toLatin1();
        else if (m.hasCaptured(2))
            out += QByteArray(m.captured(3).toInt(), char(m.captured(2).toInt(nullptr, 16)));
        else
            out += char(m.captured(4).toInt(nullptr, 16));
    }
    return out;
}

ServerConfigRecord defaults() {
    ServerConfigRecord r;
    record::applyFactoryDefaults(r);
    return r;
}

// What the windows show after opening the default file on the board given.
ConfigView defaultView(const variant::BoardFlags& flags) {
    ConfigView view;
    applyToView(view, record::recordToControls(defaults(), flags));
    return view;
}

QString describe(const record::InputRead& r) {
    QStringList out;
    if (r.select)
        out << QString("select %1").arg(*r.select);
    if (r.modules)
        out << QString("{%1%2%3}")
                   .arg(r.modules->sdi ? "S" : "")
                   .arg(r.modules->analog ? "A" : "")
                   .arg(r.modules->hdmi ? "H" : "");
    return out.join(' ');
}

} // namespace

class ServerRecordTest : public QObject {
    Q_OBJECT

private slots:
    void byteAccessStaysInside();
    void defaultBytesAtOffsets();
    void defaultsKeepUnlistedFields();
    void everyRecordRoundTrips();
    void unalignedAndNegativeIntegers();
    void readingFiles_data();
    void readingFiles();
    void sizeOtherThanTheRecordIsNamed_data();
    void sizeOtherThanTheRecordIsNamed();
    void inputCodeWritten_data();
    void inputCodeWritten();
    void inputCodeRead_data();
    void inputCodeRead();
    void everyListedInputComesBack();
    void openDefaultsInOrder();
    void open_data();
    void open();
    void update_data();
    void update();
    void openThenUpdateKeepsTheBytes();
};

// A read past the end gives zeros and a write past it is dropped; both are marked.
void ServerRecordTest::byteAccessStaysInside() {
    std::array<std::uint8_t, 6> buffer{1, 2, 3, 4, 5, 6};
    const bytes::ByteReader r(buffer);
    QCOMPARE(r.i32(0), 0x04030201);
    QVERIFY(!r.overrun());
    QCOMPARE(r.i32(4), 0x0605);
    QVERIFY(r.overrun());
    bytes::ByteWriter w(std::span<std::uint8_t>(buffer).first(5));
    w.i32(2, -1);
    QVERIFY(w.overrun());
    QCOMPARE(buffer, (std::array<std::uint8_t, 6>{1, 2, 0xff, 0xff, 0xff, 6}));
}

// Every byte of the default record, field by field; the table covers the whole record.
void ServerRecordTest::defaultBytesAtOffsets() {
    const struct {
        int offset;
        const char* bytes;
    } expected[] = {
        {0, "01 00 00 00  00 05 00 00  d0 02 00 00  d0 07 00 00  1e 00 00 00  1e 00 00 00  02 00 "
            "00 00"},
        {28, "01 00 00 00  00 05 00 00  d0 02 00 00  d0 07 00 00  1e 00 00 00  1e 00 00 00  02 00 "
             "00 00"},
        {56, "'192.168.0.245' 00x7"},
        {76, "00 00 00 00  00 00 00 00"},
        {84, "'192.168.0.254' 00x7"},
        {104, "00 00 00 00  00 00 00 00"},
        {112, "00 05 00 00  d0 02 00 00  d0 07 00 00  1e 00 00 00  1e 00 00 00"},
        {132, "00 05 00 00  d0 02 00 00  d0 07 00 00  1e 00 00 00  1e 00 00 00"},
        {152, "00 00 00 00  '1500'  02 00 00 00"},
        {164, "'192.168.0.20' 00x18"},
        {194, "'192.168.0.21' 00x18"},
        {224, "'UM' '1234' 00x3 '7080' 00x3"},
        {240, "'225.1.1.1' 00x7 '225.1.1.1' 00x7"},
        {272, "'SD' 00 00 00 00  00 00  06  00"},
        {282, "00x30 'N'"},
        {313, "'255.255.255.0' 00x7"},
        {333, "00x8"},
    };
    const QByteArray img = image(defaults());
    QCOMPARE(img.size(), 341);
    int next = 0;
    for (const auto& e : expected) {
        QCOMPARE(e.offset, next);
        const QByteArray want = bytesOf(e.bytes);
        QVERIFY2(
            img.mid(e.offset, want.size()) == want,
            qPrintable(
                QString("at %1: %2").arg(e.offset).arg(img.mid(e.offset, want.size()).toHex(' '))));
        next = e.offset + int(want.size());
    }
    QCOMPARE(next, 341);
}

// FecD, the rate controls and the reserved bytes come from the record as it was; every text the
// defaults name is zero-filled behind it, whatever the field held.
void ServerRecordTest::defaultsKeepUnlistedFields() {
    ServerConfigRecord r = withFields(
        ServerConfigRecord{},
        "FecD=9 RateControl11=2 RateControl12=1 Reserved=abcd StaticIp='99999999999999999999' "
        "UdprsDestIp='10.1.2.3' Mtu='9000' Width11=7 FecL=1");
    record::applyFactoryDefaults(r);
    QCOMPARE(fieldsOf(r, "FecD RateControl11 RateControl12 Reserved StaticIp UdprsDestIp Mtu "
                         "Width11 FecL"),
             "FecD=9 RateControl11=2 RateControl12=1 Reserved=ab cd StaticIp='192.168.0.245' "
             "UdprsDestIp='' Mtu='1500' Width11=1280 FecL=6");
}

// Any 341 bytes decode to a record that encodes to the same bytes.
void ServerRecordTest::everyRecordRoundTrips() {
    QRandomGenerator gen(15);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(341, '\0');
        for (char& b : bytes)
            b = char(gen.bounded(256));
        if (round == 1)
            bytes.fill('\xff');
        QCOMPARE(image(fromImage(bytes)), bytes);
    }
}

void ServerRecordTest::unalignedAndNegativeIntegers() {
    ServerConfigRecord r;
    r.Input11 = -1;
    r.CameraMode = 0x01020304;
    r.RateControl11 = -2;
    r.RateControl12 = 0x7fffffff;
    const QByteArray img = image(r);
    QCOMPARE(img.mid(0, 4).toHex(' '), "ff ff ff ff");
    QCOMPARE(img.mid(274, 4).toHex(' '), "04 03 02 01");
    QCOMPARE(img.mid(333, 8).toHex(' '), "fe ff ff ff ff ff ff 7f");
    QCOMPARE(fromImage(img), r);
}

// A file replaces as many leading bytes as it holds; the rest keep what the record held.
void ServerRecordTest::readingFiles_data() {
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<int>("fromFile");
    QTest::newRow("empty file changes nothing") << 0 << 0;
    QTest::newRow("100 bytes") << 100 << 100;
    QTest::newRow("one byte short") << 340 << 340;
    QTest::newRow("whole record") << 341 << 341;
    QTest::newRow("bytes after the record ignored") << 400 << 341;
}

void ServerRecordTest::readingFiles() {
    QFETCH(int, fileSize);
    QFETCH(int, fromFile);
    std::vector<std::uint8_t> file(std::size_t(fileSize), 0);
    for (std::size_t i = 0; i < file.size(); ++i)
        file[i] = std::uint8_t(i * 7 + 3);
    const QByteArray before = image(defaults());
    const QByteArray after = image(record::readRecord(defaults(), file));
    const QByteArray fileBytes(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    QCOMPARE(after, fileBytes.left(fromFile) + before.mid(fromFile));
}

// Decode_File: the code written for a selected input position.
void ServerRecordTest::inputCodeWritten_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<int>("stream");
    QTest::addColumn<QString>("positions"); // -1 0 1 ... in order
    QTest::addColumn<QString>("codes");     // "-" the field is left
    QTest::newRow("full board") << "full N N" << 11 << "-1 0 1 2 3 4 5 6 7 8 9"
                                << "-1 0 1 2 3 4 5 23 24 25 -";
    QTest::newRow("full board, stream 12") << "full S A" << 12 << "-1 0 6 8"
                                           << "-1 0 23 25";
    QTest::newRow("small, HD SDI") << "small S N" << 11 << "-1 0 3 4 5 6"
                                   << "-1 0 3 25 32 -";
    QTest::newRow("small, analog") << "small N A" << 12 << "-1 0 1 2 3 4 5"
                                   << "- 4 5 23 24 25 -";
    QTest::newRow("small, HDMI") << "small H N" << 11 << "-1 0 1 2 3 4"
                                 << "- 6 7 8 9 25";
    QTest::newRow("small, no module") << "small N S" << 11 << "-1 0"
                                      << "- -";
    QTest::newRow("small, stream 12 by its own module") << "small A S" << 12 << "4 5"
                                                        << "25 32";
}

void ServerRecordTest::inputCodeWritten() {
    QFETCH(QString, board);
    QFETCH(int, stream);
    QFETCH(QString, positions);
    QFETCH(QString, codes);
    QStringList out;
    for (const QString& p : positions.split(' ')) {
        const auto code = record::inputCodeToWrite(
            flagsOf(board), stream == 11 ? Channel::Ch11 : Channel::Ch12, p.toInt());
        out << (code ? QString::number(*code) : "-");
    }
    QCOMPARE(out.join(' '), codes);
}

// Encode_File: what a code selects, and the module flags it leaves on the full board.
void ServerRecordTest::inputCodeRead_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* board, int code, const char* expected) {
        QTest::addRow("%s %d", board, code) << board << code << expected;
    };
    row("full N N", 1, "select 1 {S}");
    row("full A N", -1, "select -1 {S}");
    row("full N N", -7, "select -1 {S}");
    row("full S N", 4, "select 4 {A}");
    row("full N N", 5, "select 5 {A}");
    row("full S N", 23, "select 6 {A}");
    row("full S N", 17, "select 6 {A}");
    row("full N N", 24, "select 7 {A}");
    row("full N N", 18, "select 7 {A}");
    row("full N N", 25, "select 8 {A}");
    row("full N N", 19, "select 8 {A}");
    row("full S N", 32, "{A}");
    row("full S N", 6, "{A}");
    row("full H N", 2, "select 2 {SH}");
    row("small S N", 2, "select 2");
    row("small S N", 4, "select 4");
    row("small S N", 5, "select 5");
    row("small S N", 25, "select 4");
    row("small S N", 19, "select 4");
    row("small S N", 32, "select 5");
    row("small S N", -1, "select -1");
    row("small S N", 6, "select -1");
    row("small S N", 23, "select -1");
    row("small A N", 4, "select 0");
    row("small A N", 5, "select 1");
    row("small A N", 23, "select 2");
    row("small A N", 17, "select 2");
    row("small A N", 24, "select 3");
    row("small A N", 18, "select 3");
    row("small A N", 25, "select 4");
    row("small A N", 19, "select 4");
    row("small A N", 0, "");
    row("small H N", 6, "select 0");
    row("small H N", 9, "select 3");
    row("small H N", 25, "select 4");
    row("small H N", 19, "select 4");
    row("small H N", 4, "");
    row("small N N", 0, "");
    row("small N N", 25, "");
}

void ServerRecordTest::inputCodeRead() {
    QFETCH(QString, board);
    QFETCH(int, code);
    QFETCH(QString, expected);
    QCOMPARE(describe(record::readInput(flagsOf(board), Channel::Ch11, code)), expected);
}

// Whatever input a list shows, writing it and reading the code back selects it again.
void ServerRecordTest::everyListedInputComesBack() {
    for (const char* board : {"full N N", "small S S", "small A A", "small H H"}) {
        const variant::BoardFlags flags = flagsOf(board);
        const auto& list = flags.fullBoard
                               ? variant::fullList()
                               : variant::moduleList(flags.ch11.sdi      ? variant::Module::Sdi
                                                     : flags.ch11.analog ? variant::Module::Analog
                                                                         : variant::Module::Hdmi);
        for (int p = -1; p < int(list.size()); ++p) {
            const auto code = record::inputCodeToWrite(flags, Channel::Ch11, p);
            if (!code) {
                QCOMPARE(p, -1); // the analog and HDMI modules leave the field with no selection
                continue;
            }
            const auto read = record::readInput(flags, Channel::Ch11, *code);
            QVERIFY2(read.select == p,
                     qPrintable(QString("%1 position %2 code %3").arg(board).arg(p).arg(*code)));
        }
    }
}

// The order is what makes the handlers of the check boxes run as they do when the operator opens a
// file: the interface box before the inputs, the FEC box before its L and D, the rate buttons last.
void ServerRecordTest::openDefaultsInOrder() {
    const Applied a = record::recordToControls(defaults(), flagsOf("full N N"));
    QVERIFY(a.ok());
    QCOMPARE(QString::fromStdString(controls::describe(a)),
             "PARTP^'RTSP'; AutoDetect:off; UDPCheck:on; RTP11_S=0; RTP12_S=1; MTUB='1500'; "
             "S1I=1; ch11={sdi}; S2I=1; ch12={sdi}; ERec1:off; ERec2:off; "
             "Res1=1; Gop1='30'; Bit1='2000'; fps1='30'; Res2=1; Gop2='30'; Bit2='2000'; "
             "fps2='30'; AutStart:off; Efmt1=1; S1Aud:off; S2Aud:off; Efmt2=1; "
             "RecRes1=1; RecGop1='30'; RecBit1='2000'; Recfps1='30'; "
             "RecRes2=1; RecGop2='30'; RecBit2='2000'; Recfps2='30'; "
             "RTP11_IP='192.168.0.20'; RTP12_IP='192.168.0.21'; RTP11_Port='1234'; "
             "RTP12_Port='7080'; RTP11_M='225.1.1.1'; RTP12_M='225.1.1.1'; "
             "ipb='192.168.0.245'; gwp='192.168.0.254'; FixCheck:off; MovCheck:off; CEFEC:off; "
             "LFEC='6'; DFEC='0'; UDPRSB:off; UDPRSIPB=''; SubB='255.255.255.0'");
}

void ServerRecordTest::open_data() {
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("watch");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* fields, const char* board, const char* watch,
                  const char* expected) {
        QTest::newRow(name) << fields << board << watch << expected;
    };
    // Mode and flags
    row("mode R", "ModeLetter=R", "full N N", "PARTP mode", "PARTP^'RTP 11 + RTP 12'");
    row("mode B", "ModeLetter=B", "full N N", "PARTP", "PARTP^'RTP 12'");
    row("mode x leaves the caption", "ModeLetter=x", "full N N", "PARTP mode", "");
    row("auto-detection 0: Error aid", "InputAutoDetect=0", "full N N", "AutoDetect Panel5",
        "Panel5='Error aid'");
    row("auto-detection 1", "InputAutoDetect=1", "full N N", "AutoDetect", "AutoDetect:on");
    row("auto-detection 3: nothing", "InputAutoDetect=3", "full N N", "AutoDetect Panel5", "");
    row("RS232", "ControlInterface=1", "full N N", "UDPCheck RS232Check", "RS232Check:on");
    row("interface 2: nothing", "ControlInterface=2", "full N N", "UDPCheck RS232Check", "");
    row("only U is unicast", "RtpSession11=u RtpSession12=U", "full N N", "RTP11_S RTP12_S",
        "RTP11_S=1; RTP12_S=0");
    // Inputs: both streams on the full board first, with their flags
    row("full board inputs", "Input11=3 Input12=17", "full N N", "S1I S2I ch11 ch12",
        "S1I=3; ch11={sdi}; S2I=6; ch12={analog}");
    row("small board, HD SDI and HDMI", "Input11=25 Input12=7", "small S H", "S1I S2I ch11 ch12",
        "S1I=4; S2I=1");
    // Recording, resolutions, numbers
    row("record 0 clears both", "RecordSelect=0", "full N N", "ERec1 ERec2",
        "ERec1:off; ERec2:off");
    row("record 2", "RecordSelect=2", "full N N", "ERec1 ERec2", "ERec1:off; ERec2:on");
    row("record 4: nothing", "RecordSelect=4", "full N N", "ERec1 ERec2", "");
    row("576 lines are always 720 x 576", "Width11=704 Height11=576", "full N N", "Res1", "Res1=2");
    row("144 lines: stream list only", "Height12=144 RecHeight12=144", "full N N", "Res2 RecRes2",
        "Res2=6");
    row("336 and 1088 lines leave the lists", "Height11=336 RecHeight11=1088", "full N N",
        "Res1 RecRes1", "");
    row("numbers in decimal", "BitRate11=-5 Fps12=2147483647 RecGop12=0", "full N N", "Bit1 fps2",
        "Bit1='-5'; fps2='2147483647'");
    // Automatic start, formats, audio
    row("auto start lights the lamp", "AutoStart=2", "full N N", "AutStart streaming lamp",
        "AutStart:on; streaming; lamp=green");
    row("auto start 1 clears the box only", "AutoStart=1", "full N N", "AutStart streaming lamp",
        "AutStart:off");
    row("format 1 and 3", "Format11=1 Format12=3", "full N N", "Efmt1 Efmt2", "Efmt1=0");
    row("audio 1 and 2", "Audio11=1 Audio12=2", "full N N", "S1Aud S2Aud", "S1Aud:on");
    // Texts
    row("destination read up to 20 bytes", "RtpDestIp11='123456789012345678901234567890'",
        "full N N", "RTP11_IP", "RTP11_IP='12345678901234567890'");
    row("text filling its field", "StaticIp='10.100.200.123/24:abc' Mtu='9000'", "full N N",
        "ipb MTUB", "MTUB='9000'; ipb='10.100.200.123/24:ab'");
    row("text up to its first zero", "GatewayIp='10.0.0.1' RtpPort12='5004'", "full N N",
        "gwp RTP12_Port", "RTP12_Port='5004'; gwp='10.0.0.1'");
    // Camera, FEC, UDPRS, rate control
    row("camera 2: moving", "CameraMode=2", "full N N", "FixCheck MovCheck",
        "FixCheck:off; MovCheck:on");
    row("camera 3: nothing", "CameraMode=3", "full N N", "FixCheck MovCheck", "");
    row("FEC E with L 255 and D 4", "FecEnable=E FecL=255 FecD=4", "full N N", "CEFEC LFEC DFEC",
        "CEFEC:on; LFEC='255'; DFEC='4'");
    row("only E enables FEC", "FecEnable=e", "full N N", "CEFEC", "CEFEC:off");
    row("only Y is UDPRS", "UdprsMode=y UdprsDestIp='10.0.0.9'", "full N N", "UDPRSB UDPRSIPB",
        "UDPRSB:off; UDPRSIPB='10.0.0.9'");
    row("rate control 2 and 1", "RateControl11=2 RateControl12=1", "full N N",
        "CBR11B VBR11B CBR12B VBR12B", "VBR11B:on; CBR12B:on");
    row("rate control 0: nothing", "RateControl11=0 RateControl12=3", "full N N",
        "CBR11B VBR11B CBR12B VBR12B", "");
}

void ServerRecordTest::open() {
    QFETCH(QString, fields);
    QFETCH(QString, board);
    QFETCH(QString, watch);
    QFETCH(QString, expected);
    const Applied a = record::recordToControls(withFields(defaults(), fields), flagsOf(board));
    QCOMPARE(watched(a, watch), expected);
}

void ServerRecordTest::update_data() {
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* changes, const char* board, const char* fields,
                  const char* expected) {
        QTest::newRow(name) << changes << board << fields << expected;
    };
    // Sizes
    row("192 x 144", "Res1=6 RecRes2=5", "full N N", "Width11 Height11 RecWidth12 RecHeight12",
        "Width11=192 Height11=144 RecWidth12=320 RecHeight12=240");
    row("704 x 576 and no selection leave the sizes", "Res1=7 Res2=-1 RecRes1=-1", "full N N",
        "Width11 Height11 Width12 Height12 RecWidth11 RecHeight11",
        "Width11=11 Height11=12 Width12=13 Height12=14 RecWidth11=15 RecHeight11=16");
    // Numbers and where a bad one stops
    row("numbers", "Bit1='4000' Recfps2='+25' Gop2='-3'", "full N N", "BitRate11 RecFps12 Gop12",
        "BitRate11=4000 RecFps12=25 Gop12=-3");
    row("empty bit rate stops at once", "Bit1='' Res1=0 ERec1:on", "full N N",
        "Width11 BitRate11 RecordSelect",
        "Width11=1920 BitRate11=2001 RecordSelect=0 "
        "!'' is not a valid integer value");
    row("bad GOP: the numbers before it are in", "Bit1='4000' RecBit1='8000' Gop1='3O'", "full N N",
        "BitRate11 RecBitRate11 Gop11",
        "BitRate11=4000 RecBitRate11=8000 Gop11=31 !'3O' is not a valid integer value");
    row("bad FEC D: FEC state and L are in", "CEFEC:on LFEC='8' DFEC='x' UDPRSB:on", "full N N",
        "FecEnable FecL FecD UdprsMode",
        "FecEnable=E FecL=8 FecD=77 UdprsMode=N !'x' is not a valid integer value");
    row("FEC L and D: low 8 bits", "LFEC='300' DFEC='-1'", "full N N", "FecL FecD",
        "FecL=44 FecD=255");
    // Check boxes, lists and the caption
    row("record both", "ERec1:on ERec2:on", "full N N", "RecordSelect", "RecordSelect=3");
    row("record stream 12", "ERec2:on", "full N N", "RecordSelect", "RecordSelect=2");
    row("inputs, full board", "S1I=1 S2I=7", "full N N", "Input11 Input12", "Input11=1 Input12=24");
    row("inputs, analog module on stream 12 only", "S1I=0 S2I=2", "small N A", "Input11 Input12",
        "Input11=44 Input12=23");
    row("inputs, HD SDI module", "S1I=5 S2I=-1", "small S S", "Input11 Input12",
        "Input11=32 Input12=-1");
    row("no format leaves the field", "Efmt1=-1 Efmt2=0", "full N N", "Format11 Format12",
        "Format11=3 Format12=1");
    row("auto start, auto-detection", "AutStart:on AutoDetect:on", "full N N",
        "AutoStart InputAutoDetect", "AutoStart=2 InputAutoDetect=1");
    row("neither: 1 and 2", "", "full N N", "AutoStart InputAutoDetect",
        "AutoStart=1 InputAutoDetect=2");
    row("caption RTP 12", "PARTP^'RTP 12'", "full N N", "ModeLetter", "ModeLetter=B");
    row("other caption leaves the letter", "PARTP^'RTP11'", "full N N", "ModeLetter",
        "ModeLetter=X");
    row("audio", "S1Aud:on", "full N N", "Audio11 Audio12", "Audio11=1 Audio12=0");
    row("no session type is multicast", "RTP11_S=-1 RTP12_S=0", "full N N",
        "RtpSession11 RtpSession12", "RtpSession11=M RtpSession12=U");
    row("both interfaces: UDP", "RS232Check:on UDPCheck:on", "full N N", "ControlInterface",
        "ControlInterface=0");
    row("RS232", "RS232Check:on UDPCheck:off", "full N N", "ControlInterface",
        "ControlInterface=1");
    row("no interface leaves the field", "UDPCheck:off", "full N N", "ControlInterface",
        "ControlInterface=7");
    row("camera fixed", "FixCheck:on", "full N N", "CameraMode", "CameraMode=1");
    row("both cameras leave the field", "FixCheck:on MovCheck:on", "full N N", "CameraMode",
        "CameraMode=9");
    row("VBR", "VBR11B:on CBR11B:off", "full N N", "RateControl11 RateControl12",
        "RateControl11=2 RateControl12=6");
    row("UDPRS", "UDPRSB:on UDPRSIPB='10.0.0.9'", "full N N", "UdprsMode UdprsDestIp",
        "UdprsMode=Y UdprsDestIp='10.0.0.9'");
    // Texts are cut at their field's width and never reach the next field
    row("port cut at 7", "RTP11_Port='123456789' RTP12_Port='5004'", "full N N",
        "RtpPort11 RtpPort12", "RtpPort11='1234567' RtpPort12='5004'");
    row("MTU cut at 4", "MTUB='15000'", "full N N", "Mtu InputAutoDetect",
        "Mtu='1500' InputAutoDetect=2");
    row("subnet mask filling 20 bytes", "SubB='255.255.255.255/32:xy'", "full N N",
        "SubnetMask RateControl11", "SubnetMask='255.255.255.255/32:x' RateControl11=5");
    row("shorter text clears the rest", "ipb='1.2.3.4' RTP12_M='239.1.1.1'", "full N N",
        "StaticIp RtpMulticastIp12", "StaticIp='1.2.3.4' RtpMulticastIp12='239.1.1.1'");
    row("destination written to 30 bytes", "RTP12_IP='123456789012345678901234567890XY'",
        "full N N", "RtpDestIp12 RtpSession11",
        "RtpDestIp12='123456789012345678901234567890' RtpSession11=U");
}

void ServerRecordTest::update() {
    QFETCH(QString, changes);
    QFETCH(QString, board);
    QFETCH(QString, fields);
    QFETCH(QString, expected);
    // The windows show the default file; the record in memory holds values that no control shows,
    // so that a field the update leaves stands out.
    const ServerConfigRecord current = withFields(
        defaults(), "Width11=11 Height11=12 Width12=13 Height12=14 RecWidth11=15 RecHeight11=16 "
                    "Format11=3 Format12=4 ModeLetter=X ControlInterface=7 CameraMode=9 "
                    "RateControl11=5 RateControl12=6 Input11=44 Input12=45 Gop11=31 "
                    "BitRate11=2001 FecD=77");
    ConfigView view = defaultView(flagsOf(board));
    changeView(view, changes);
    const record::RecordUpdate u = record::recordFromControls(current, view, flagsOf(board));
    QString got = fieldsOf(u.record, fields);
    if (!u.ok())
        got += " !" + QString::fromStdString(u.error);
    QCOMPARE(got, expected);
}

// Opening a file and updating it at once writes the bytes it read, except that the automatic
// start is written as 1 where the file held 0 (the box has two states).
void ServerRecordTest::openThenUpdateKeepsTheBytes() {
    const ServerConfigRecord file =
        withFields(defaults(), "Reserved=abcd FecD=4 RateControl11=2 RateControl12=1 "
                               "Width11=704 Height11=576 RecordSelect=3 ModeLetter=R");
    for (const char* board : {"full N N", "small S A", "small H S"}) {
        ConfigView view;
        applyToView(view, record::recordToControls(file, flagsOf(board)));
        const record::RecordUpdate u = record::recordFromControls(file, view, flagsOf(board));
        QVERIFY(u.ok());
        QCOMPARE(image(u.record), image(withFields(file, "AutoStart=1 Width11=720")));
    }
}

void ServerRecordTest::sizeOtherThanTheRecordIsNamed_data() {
    QTest::addColumn<qulonglong>("size");
    QTest::addColumn<QString>("note"); // empty: none
    QTest::newRow("short") << 6ULL
                           << "rtspserver.dat holds 6 bytes, not 341: the values past them were "
                              "kept.";
    QTest::newRow("empty") << 0ULL
                           << "rtspserver.dat holds 0 bytes, not 341: the values past them were "
                              "kept.";
    QTest::newRow("one byte") << 1ULL
                              << "rtspserver.dat holds 1 byte, not 341: the values past it were "
                                 "kept.";
    QTest::newRow("one short") << 340ULL
                               << "rtspserver.dat holds 340 bytes, not 341: the values past them "
                                  "were kept.";
    QTest::newRow("the record") << 341ULL << "";
    QTest::newRow("one over") << 342ULL
                              << "rtspserver.dat holds 342 bytes, not 341: only its first 341 "
                                 "bytes were read.";
}

void ServerRecordTest::sizeOtherThanTheRecordIsNamed() {
    QFETCH(qulonglong, size);
    QFETCH(QString, note);
    const auto got = record::sizeNote("rtspserver.dat", size);
    QCOMPARE(got ? QString::fromStdString(*got) : QString(), note);
}

QTEST_GUILESS_MAIN(ServerRecordTest)
#include "server_record_test.moc"
