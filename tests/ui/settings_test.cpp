// Settings files at start-up and at close, the board variant, the board dialog and the detection
// replies, through the windows.
#include "app/windows.h"
#include "corvane/buildinfo.h"
#include "support/operator.h"
#include "support/program.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <linux/capability.h>
#include <optional>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QStringList kFull{"HD SDI 1080P60", "HD SDI 1080P30",    "HD SDI 720P60",
                        "HD SDI 720P30",  "Analog PAL 576P50", "Analog NTSC 480P60",
                        "Analog PAL BAR", "Analog NTSC BAR",   "No Sensor"};
const QStringList kSdi{"HD SDI 1080P60", "HD SDI 720P60"};

// Started by the test once it has put the settings files in place.
struct Program : RunningProgram {
    TForm4* board = nullptr;

    Program() : RunningProgram(Setup{.startLater = true}) {}
    void start() {
        RunningProgram::start();
        board = w->Form4;
    }
    QComboBox* s1i() const { return child<QComboBox>(f, "S1I"); }
    QComboBox* s2i() const { return child<QComboBox>(f, "S2I"); }
    QString caption11() const { return child<QGroupBox>(f, "GroupBox1")->title(); }
    QString caption12() const { return child<QGroupBox>(f, "GroupBox2")->title(); }
    QString version() const {
        return QStringLiteral("       ver ") + QString::fromLatin1(corvane::kVersionText);
    }
};

// Keeps a folder or file read-only while it lives.
class ReadOnlyPath {
public:
    explicit ReadOnlyPath(const QString& path) : path_(path), on_(makeReadOnly(path, true)) {}
    ~ReadOnlyPath() {
        if (on_)
            makeReadOnly(path_, false);
    }
    ReadOnlyPath(const ReadOnlyPath&) = delete;
    ReadOnlyPath& operator=(const ReadOnlyPath&) = delete;
    bool on() const { return on_; }

private:
    QString path_;
    bool on_;
};

// Whether a new file can be made in the folder.
bool takesNewFiles(const ScopedWorkDir& dir) {
    QFile probe(dir.file("probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.remove();
    return true;
}

// Root reads and writes any file whatever its mode; while this lives, the mode bits apply to the
// calling thread all the same (for other users they always do).
class FileModesApply {
public:
    FileModesApply() {
        if (::geteuid() != 0) {
            ok_ = true;
            return;
        }
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct dropped[2] = {saved_[0], saved_[1]};
        dropped[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ok_ = dropped_ = ::syscall(SYS_capset, &header_, dropped) == 0;
    }
    ~FileModesApply() { restore(); }
    void restore() {
        if (dropped_)
            ::syscall(SYS_capset, &header_, saved_);
        dropped_ = false;
    }
    bool ok() const { return ok_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool ok_ = false;
    bool dropped_ = false;
};

const QByteArray kConfIni = "[Other]\r\nKeep=1\r\n[ComPort1]\r\nPort=old\r\n";

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void serialSettingsFromConfIni() {
        Program p;
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        p.dir.write("brdf.ini", "Corvane\r\n");
        p.dir.write("conf.ini",
                    "[Other]\r\nKeep=1\r\n[ComPort1]\r\nPort=ttyUSB3\r\nBaudRate=9600\r\n"
                    "Parity=even\r\nDataBits=7\r\n");
        p.start();
        QVERIFY(p.prompts.messages.isEmpty());
        QCOMPARE(p.f->serialSettings.portName, std::string("ttyUSB3"));
        QCOMPARE(p.f->ComPort1->portName(), QStringLiteral("ttyUSB3"));
        QCOMPARE(p.f->ComPort1->baudRate(), 9600);
        QCOMPARE(p.f->ComPort1->parity(), QSerialPort::EvenParity);
        QCOMPARE(p.f->ComPort1->dataBits(), QSerialPort::Data7);
    }

    void closingWritesConfIniInTheCurrentDirectory() {
        Program p;
        p.dir.write("conf.ini", "[Other]\r\nKeep=1\r\n");
        p.start();
        auto s = p.f->serialSettings;
        s.portName = "ttyUSB4";
        s.baudRate = corvane::settings::BaudRate::B57600;
        p.f->applySerialSettings(s);
        QTemporaryDir elsewhere;
        QDir::setCurrent(elsewhere.path()); // as a file dialog may do
        p.f->close();
        QFile written(elsewhere.filePath("conf.ini"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("[ComPort1]\r\nPort=ttyUSB4\r\nBaudRate=57600\r\n"
                                               "StopBits=1\r\nDataBits=8\r\nParity=None\r\n"
                                               "FlowControl=None\r\n"));
        QCOMPARE(p.dir.read("conf.ini"), QByteArray("[Other]\r\nKeep=1\r\n"));
        QDir::setCurrent(p.dir.path());
    }

    // A failed write leaves the previous file whole: here neither the folder nor the file may be
    // written.
    void readOnlyFolderAndFileKeepTheOldConfIni() {
        Program p;
        p.dir.write("conf.ini", "[ComPort1]\r\nPort=old\r\n");
        p.start();
        p.prompts.messages.clear();
        const ReadOnlyPath file(p.dir.file("conf.ini"));
        const ReadOnlyPath folder(p.dir.path());
        if (!file.on() || !folder.on() || takesNewFiles(p.dir))
            QSKIP("cannot make a folder and a file read-only here");
        p.f->close();
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY(p.prompts.messages[0].text.startsWith("Failed to store settings"));
        QCOMPARE(p.dir.read("conf.ini"), QByteArray("[ComPort1]\r\nPort=old\r\n"));
    }

    // A save refused by a read-only folder and file names the file and the reason.
    void refusedSaveNamesTheFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("conf.ini") << "conf.ini"
                                  << "Failed to store settings\n";
        QTest::newRow("udpf.ini") << "udpf.ini"
                                  << "";
        QTest::newRow("brdf.ini") << "brdf.ini"
                                  << "";
    }
    void refusedSaveNamesTheFile() {
        QFETCH(QString, file);
        QFETCH(QString, prefix);
        Program p;
        p.dir.write("conf.ini", kConfIni);
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        p.dir.write("brdf.ini", "Corvane\r\n");
        p.start();
        p.prompts.messages.clear();
        const QByteArray old = p.dir.read(file);
        {
            const ReadOnlyPath locked(p.dir.file(file));
            const ReadOnlyPath folder(p.dir.path());
            if (!locked.on() || !folder.on() || takesNewFiles(p.dir))
                QSKIP("cannot make a folder and a file read-only here");
            if (file == "conf.ini") {
                p.f->close();
            } else if (file == "udpf.ini") {
                p.f->Configuration2Click();
                QTest::mouseClick(child<QPushButton>(p.w->Form2, "Button1"), Qt::LeftButton);
                QVERIFY(p.w->Form2->isVisible());
            } else {
                p.board->showCentred();
                QTest::mouseClick(child<QPushButton>(p.board, "BitBtn1"), Qt::LeftButton);
                QVERIFY(p.board->isVisible());
            }
        }
        QCOMPARE(p.prompts.messages.size(), 1);
        const QString text = p.prompts.messages[0].text;
        QVERIFY2(text.startsWith(prefix + "Cannot write " + p.dir.file(file) + ": "),
                 qPrintable(text));
        QVERIFY2(text.size() > (prefix + "Cannot write " + p.dir.file(file) + ": ").size(),
                 qPrintable(text));
        QCOMPARE(p.dir.read(file), old);
    }

    // Each settings file is saved by write-then-rename where the folder allows it (a second name
    // of the old file keeps the old text), and written in place where the folder forbids new
    // files but the file itself may be written.
    void settingsFilesAreSaved_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("folderLocked");
        for (const char* file : {"conf.ini", "udpf.ini", "brdf.ini"}) {
            QTest::addRow("%s, writable folder", file) << file << false;
            QTest::addRow("%s, folder without new files", file) << file << true;
        }
    }
    void settingsFilesAreSaved() {
        QFETCH(QString, file);
        QFETCH(bool, folderLocked);
        Program p;
        p.dir.write("conf.ini", kConfIni);
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        p.dir.write("brdf.ini", "Corvane\r\n");
        const QByteArray old = p.dir.read(file);
        QVERIFY(::link(QFile::encodeName(p.dir.file(file)).constData(),
                       QFile::encodeName(p.dir.file(file + ".old")).constData()) == 0);
        p.start();
        p.prompts.messages.clear();
        std::optional<ReadOnlyPath> folder;
        if (folderLocked) {
            folder.emplace(p.dir.path());
            if (!folder->on() || takesNewFiles(p.dir))
                QSKIP("cannot make a folder read-only here");
        }

        QByteArray expected;
        if (file == "conf.ini") {
            auto s = p.f->serialSettings;
            s.portName = "ttyUSB4";
            p.f->applySerialSettings(s);
            p.f->close();
            expected = "[Other]\r\nKeep=1\r\n[ComPort1]\r\nPort=ttyUSB4\r\nBaudRate=115200\r\n"
                       "StopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n";
        } else if (file == "udpf.ini") {
            p.f->Configuration2Click();
            child<QLineEdit>(p.w->Form2, "MyIPL")->setText("127.0.0.1");
            child<QLineEdit>(p.w->Form2, "CorIPL")->setText("127.0.0.2");
            child<QLineEdit>(p.w->Form2, "SPort")->setText("9000");
            QTest::mouseClick(child<QPushButton>(p.w->Form2, "Button1"), Qt::LeftButton);
            QVERIFY(!p.w->Form2->isVisible());
            expected = "127.0.0.1\r\n127.0.0.2\r\n9000\r\n";
        } else {
            p.board->showCentred();
            child<QCheckBox>(p.board, "LumoS")->setChecked(true);
            p.board->setC11GIndex(2);
            p.board->setC12GIndex(3);
            QTest::mouseClick(child<QPushButton>(p.board, "BitBtn1"), Qt::LeftButton);
            QVERIFY(!p.board->isVisible());
            expected = "Lumo\r\nHDMI\r\nNone\r\n";
        }
        QCOMPARE(p.prompts.texts(), QStringList());
        QCOMPARE(p.dir.read(file), expected);
        if (!folderLocked)
            QCOMPARE(p.dir.read(file + ".old"), old);
    }

    // A conf.ini that exists but cannot be read is named with the reason at start, and not
    // replaced at close (that would lose its other sections), which is said again then.
    void unreadableConfIniIsLeftAsItIs() {
        Program p;
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        p.dir.write("brdf.ini", "Corvane\r\n");
        p.dir.write("conf.ini", kConfIni);
        QVERIFY(QFile::setPermissions(p.dir.file("conf.ini"), QFile::WriteOwner));
        FileModesApply modes;
        if (!modes.ok())
            QSKIP("file modes cannot be made to apply here");
        QFile probe(p.dir.file("conf.ini"));
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("conf.ini stays readable here");
        p.start();
        QCOMPARE(p.prompts.messages.size(), 1);
        const QString atStart = p.prompts.messages[0].text;
        QVERIFY2(atStart.startsWith("Cannot read " + p.dir.file("conf.ini") + ": ") &&
                     atStart.endsWith("\nThe serial settings are the built-in ones.") &&
                     !atStart.contains(": \n"),
                 qPrintable(atStart));
        p.prompts.messages.clear();
        QCOMPARE(p.f->serialSettings.portName, std::string("ttyS0"));
        auto s = p.f->serialSettings;
        s.portName = "ttyUSB4";
        p.f->applySerialSettings(s);
        p.f->close();
        modes.restore();
        QVERIFY(
            QFile::setPermissions(p.dir.file("conf.ini"), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(p.prompts.messages.size(), 1);
        const QString text = p.prompts.messages[0].text;
        QVERIFY2(text.startsWith("Failed to store settings\nThe serial settings were not stored: " +
                                 p.dir.file("conf.ini") + " cannot be read"),
                 qPrintable(text));
        QCOMPARE(p.dir.read("conf.ini"), kConfIni);
    }

    void boardFileAtStartUp_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("s1i");
        QTest::addColumn<int>("s2iCount");
        QTest::addColumn<QString>("s2iSelected");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("variant");
        QTest::newRow("full") << QByteArray("Corvane\r\n") << "Corvane" << kFull << 9 << ""
                              << QStringList{"RTSP Stream 11", "RTSP Stream 12"} << 0;
        QTest::newRow("small, SDI and none")
            << QByteArray("Lumo\r\nSDI\r\nNone\r\n") << "Corvane Lumo"
            << QStringList{"HD SDI 1080P60", "HD SDI 1080P30", "HD SDI 720P60",
                           "HD SDI 720P30",  "No Sensor",      "HD SDI 1080P50"}
            << 1 << "No Sensor"
            << QStringList{"RTSP Stream 11 (HD SDI)", "RTSP Stream 12 (No Module)"} << 1;
        QTest::newRow("small, HDMI and analog")
            << QByteArray("Lumo\r\nHDMI\r\nAnalog\r\n") << "Corvane Lumo"
            << QStringList{"HDMI 1080P60", "HDMI 1080P30", "HDMI 720P60", "HDMI 720P30",
                           "No Sensor"}
            << 5 << "" << QStringList{"RTSP Stream 11 (HDMI)", "RTSP Stream 12 (Analog)"} << 1;
        QTest::newRow("small, no modules named")
            << QByteArray("Lumo\r\n") << "Corvane Lumo" << QStringList() << 13 << "HD SDI 1080P60"
            << QStringList{"RTSP Stream 11", "RTSP Stream 12"} << 1;
        QTest::newRow("unknown board")
            << QByteArray("corvane\r\n") << "No Board Configuration" << QStringList() << 13
            << "HD SDI 1080P60" << QStringList{"RTSP Stream 11", "RTSP Stream 12"} << 0;
    }
    void boardFileAtStartUp() {
        QFETCH(QByteArray, file);
        QFETCH(QString, title);
        QFETCH(QStringList, s1i);
        QFETCH(int, s2iCount);
        QFETCH(QString, s2iSelected);
        QFETCH(QStringList, captions);
        QFETCH(int, variant);
        Program p;
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        p.dir.write("brdf.ini", file);
        p.start();
        QVERIFY(p.prompts.messages.isEmpty());
        QCOMPARE(p.f->windowTitle(), title + p.version());
        if (!s1i.isEmpty()) {
            QCOMPARE(items(p.s1i()), s1i);
            QCOMPARE(p.s1i()->currentIndex(), -1);
        } else {
            QCOMPARE(p.s1i()->count(), 13);
        }
        QCOMPARE(p.s2i()->count(), s2iCount);
        QCOMPARE(p.s2i()->currentText(), s2iSelected);
        QCOMPARE((QStringList{p.caption11(), p.caption12()}), captions);
        QCOMPARE(p.f->Board.boardVariant, variant);
        QCOMPARE(p.f->Board.fullBoard, variant == 0);
        QCOMPARE(child<QCheckBox>(p.board, "LumoS")->isChecked(), variant == 1);
        QCOMPARE(child<QCheckBox>(p.board, "CorS")->isChecked(), variant == 0);
        QCOMPARE(child<QGroupBox>(p.board, "C11G")->isVisibleTo(p.board), variant == 1);
    }

    void moduleFlagsFromTheBoardFile() {
        Program p;
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        p.dir.write("brdf.ini", "Lumo\r\nSDI\r\nNone\r\n");
        p.start();
        QVERIFY(p.f->Board.ch11.sdi && !p.f->Board.ch11.analog && !p.f->Board.ch11.hdmi);
        QVERIFY(!p.f->Board.ch12.sdi && !p.f->Board.ch12.analog && !p.f->Board.ch12.hdmi);
        QCOMPARE(p.board->C11GIndex(), 0);
        QCOMPARE(p.board->C12GIndex(), 3);
    }

    void unreadableBoardFileIsNamed() {
        Program p;
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        QDir().mkdir(p.dir.file("brdf.ini"));
        p.start();
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY(p.prompts.messages[0].text.contains(p.dir.file("brdf.ini")));
        QCOMPARE(p.f->windowTitle(), "No Board Configuration" + p.version());
    }

    void boardDialogClicks() {
        Program p;
        p.start();
        QVERIFY(child<QCheckBox>(p.board, "CorS")->isChecked());
        QTest::mouseClick(child<QCheckBox>(p.board, "LumoS"), Qt::LeftButton);
        QVERIFY(child<QCheckBox>(p.board, "LumoS")->isChecked());
        QVERIFY(!child<QCheckBox>(p.board, "CorS")->isChecked());
        QCOMPARE(p.f->Board.boardVariant, 1);
        QVERIFY(!p.f->Board.fullBoard);
        for (const char* name : {"StaticText1", "C11G", "C12G", "AOAD"})
            QVERIFY2(child<QWidget>(p.board, name)->isVisibleTo(p.board), name);
        QTest::mouseClick(child<QCheckBox>(p.board, "LumoS"), Qt::LeftButton);
        QVERIFY(child<QCheckBox>(p.board, "CorS")->isChecked());
        QVERIFY(!child<QCheckBox>(p.board, "LumoS")->isChecked());
        QCOMPARE(p.f->Board.boardVariant, 0);
        QVERIFY(p.f->Board.fullBoard);
        for (const char* name : {"StaticText1", "C11G", "C12G", "AOAD"})
            QVERIFY2(!child<QWidget>(p.board, name)->isVisibleTo(p.board), name);
        // A click on "Corvane" itself toggles to the small board the same way.
        QTest::mouseClick(child<QCheckBox>(p.board, "CorS"), Qt::LeftButton);
        QVERIFY(child<QCheckBox>(p.board, "LumoS")->isChecked());
        QCOMPARE(p.f->Board.boardVariant, 1);
    }

    void boardDialogSave() {
        Program p;
        p.start();
        p.f->Board.ch11.analog = true; // the full board's Save leaves module flags alone
        p.board->showCentred();
        QTest::mouseClick(child<QPushButton>(p.board, "BitBtn1"), Qt::LeftButton);
        QCOMPARE(p.dir.read("brdf.ini"), QByteArray("Corvane\r\n"));
        QCOMPARE(p.f->windowTitle(), QStringLiteral("Corvane"));
        QCOMPARE(items(p.s1i()), kFull);
        QVERIFY(p.f->Board.ch11.analog);
        QVERIFY(!p.board->isVisible());

        child<QCheckBox>(p.board, "LumoS")->setChecked(true);
        p.board->setC11GIndex(0);
        p.board->setC12GIndex(3);
        p.board->BitBtn1Click();
        QCOMPARE(p.dir.read("brdf.ini"), QByteArray("Lumo\r\nSDI\r\nNone\r\n"));
        QCOMPARE(p.f->windowTitle(), QStringLiteral("Corvane Lumo"));
        QCOMPARE(p.s1i()->count(), 6);
        QCOMPARE(p.s1i()->currentIndex(), -1);
        QCOMPARE(items(p.s2i()), QStringList{"No Sensor"});
        QCOMPARE(p.s2i()->currentIndex(), 0);
        QCOMPARE(p.caption11(), QStringLiteral("RTSP Stream 11 (HD SDI)"));
        QCOMPARE(p.caption12(), QStringLiteral("RTSP Stream 12 (No Module)"));
        QVERIFY(p.f->Board.ch11.sdi && !p.f->Board.ch11.analog);

        // "Close" after changing a module group changes nothing in the main window.
        p.board->setC11GIndex(2);
        p.board->BitBtn2Click();
        QCOMPARE(p.caption11(), QStringLiteral("RTSP Stream 11 (HD SDI)"));
        QVERIFY(p.f->Board.ch11.sdi && !p.f->Board.ch11.hdmi);
    }

    void boardDialogSaveFailureKeepsItOpen() {
        Program p;
        p.start();
        p.prompts.messages.clear();
        p.f->AppDir = p.dir.file("missing");
        p.board->showCentred();
        child<QCheckBox>(p.board, "LumoS")->setChecked(true);
        p.board->BitBtn1Click();
        QCOMPARE(p.prompts.messages.size(), 1);
        QVERIFY(p.board->isVisible());
        QCOMPARE(p.f->windowTitle(), "No Board Configuration" + p.version());
    }

    void assemblyDetection() {
        Program p;
        p.start();
        p.prompts.messages.clear();
        child<QCheckBox>(p.board, "LumoS")->setChecked(true);
        // Nothing connected: the request is refused and the dialog waits.
        p.f->findChild<QCheckBox*>("UDPCheck")->setChecked(true);
        p.board->AOADClick();
        QCOMPARE(p.prompts.texts(), QStringList{"Please Connect First !! "});
        QCOMPARE(child<QPushButton>(p.board, "AOAD")->text(), QStringLiteral("Please Wait ! "));
        QVERIFY(!child<QGroupBox>(p.board, "C11G")->isVisibleTo(p.board));
        // The answer (here as a datagram) selects the reported modules and ends the wait.
        p.f->UDPRxChar("A81x3GG", 7);
        QCOMPARE(child<QPushButton>(p.board, "AOAD")->text(),
                 QStringLiteral("Assembly  Option Auto Detect"));
        QVERIFY(child<QGroupBox>(p.board, "C11G")->isVisibleTo(p.board));
        QCOMPARE(p.board->C11GIndex(), 0);
        QCOMPARE(p.board->C12GIndex(), 1);
        // Module digit 7 leaves a group alone; a letter is a conversion error.
        p.f->UDPRxChar("A80x7GG", 7);
        QCOMPARE(p.board->C11GIndex(), 3);
        QCOMPARE(p.board->C12GIndex(), 1);
        p.f->UDPRxChar("A8qxqGG", 7);
        QCOMPARE(p.prompts.texts().last(), QStringLiteral("'q' is not a valid integer value"));
        QCOMPARE(p.board->C11GIndex(), 3);
    }

    void autoDetectionReply_data() {
        QTest::addColumn<QByteArray>("board");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("s1i");
        QTest::addColumn<QString>("s2i");
        QTest::addColumn<QString>("panel8");
        QTest::newRow("small SDI + analog") << QByteArray("Lumo\r\nSDI\r\nAnalog\r\n")
                                            << QByteArray("22882B$01$%1") << "HD SDI 1080P60"
                                            << "Analog PAL 576P50"
                                            << "Client Connected";
        QTest::newRow("full board") << QByteArray("Corvane\r\n") << QByteArray("22881D$02$%2") << ""
                                    << ""
                                    << "Client DisConnected";
        QTest::newRow("small SDI + HDMI, status f")
            << QByteArray("Lumo\r\nSDI\r\nHDMI\r\n") << QByteArray("22881D$4$%f") << "No Sensor"
            << "HDMI 720P60"
            << "";
    }
    void autoDetectionReply() {
        QFETCH(QByteArray, board);
        QFETCH(QByteArray, reply);
        QFETCH(QString, s1i);
        QFETCH(QString, s2i);
        QFETCH(QString, panel8);
        Program p;
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        p.dir.write("brdf.ini", board);
        p.start();
        auto* panel = child<QLabel>(p.f, "Panel8");
        panel->setText("before");
        p.f->KeepAlivePending = true;
        p.f->UDPRxChar(reply.toStdString(), int(reply.size()));
        QCOMPARE(child<QLabel>(p.f, "ConNot")->text(), QStringLiteral("Connected"));
        QVERIFY(!p.f->KeepAlivePending);
        QCOMPARE(panel->text(), panel8);
        if (!s1i.isEmpty()) {
            QCOMPARE(p.s1i()->currentText(), s1i);
            QCOMPARE(p.s2i()->currentText(), s2i);
        }
    }

    void autoDetectionInTheFullBoard() {
        Program p;
        p.dir.write("udpf.ini", "\r\n\r\n8070\r\n");
        p.dir.write("brdf.ini", "Corvane\r\n");
        p.start();
        p.f->Board.ch11.sdi = true;
        p.f->Board.ch12.analog = true;
        p.f->KeepAlivePending = true;
        p.f->UDPRxChar("22882B$01$%1", 12);
        QCOMPARE(p.s1i()->currentIndex(), 0);
        QCOMPARE(p.s2i()->currentIndex(), 4);
        p.f->KeepAlivePending = true;
        p.f->UDPRxChar("22881D$zz$%1", 12);
        QCOMPARE(p.s1i()->currentIndex(), 8);
        QCOMPARE(p.prompts.texts().last(), QStringLiteral("'$zz' is not a valid integer value"));
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
