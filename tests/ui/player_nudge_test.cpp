// The player nudge: the exact order of windows, keys and pauses against a recorded desktop, and
// the real thing on a private X server (Xvfb) with windows of the test's own: only windows titled
// exactly as the player get Ctrl+S and Ctrl+O, the top two, the second one first.
// Runs twice: with the program on that X server (xcb), and with "-platform offscreen", where the
// nudge must leave every window alone and only pause.
#include "platform/pacing.h"
#include "platform/player_nudge.h"
#include "support/player_recorder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef CORVANE_TEST_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
namespace {
constexpr int kXKeyPress = KeyPress;
constexpr long kXNone = None;
} // namespace
#undef None
#undef Status
#undef Bool
#undef KeyPress
#undef KeyRelease
#undef FocusIn
#undef FocusOut
#undef Expose
#endif

namespace pp = platform::player;

namespace {

// An X server of the test's own, on a display number it picks itself; stopped with the object.
class Xvfb {
public:
    ~Xvfb() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    // False with the reason in `problem` (and `missing` set when Xvfb is not installed).
    bool start() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty()) {
            missing = true;
            problem = QStringLiteral("Xvfb is not installed (bash scripts/deps.sh installs it)");
            return false;
        }
        int fds[2];
        if (::pipe(fds) != 0)
            return fail("no pipe");
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        const QByteArray path = program.toLocal8Bit();
        const QByteArray fd = QByteArray::number(fds[1]);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM); // never outlive the test
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
            // -noreset: the server would otherwise restart whenever the last client leaves, and a
            // client that connects during that restart is refused.
            ::execl(path.constData(), "Xvfb", "-displayfd", fd.constData(), "-noreset", "-nolisten",
                    "tcp", "-screen", "0", "640x480x24", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (pid_ < 0) {
            ::close(fds[0]);
            return fail("cannot start Xvfb");
        }
        // Xvfb writes its display number and a newline when it is ready for clients.
        QByteArray number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, 20000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (c != '\n' || number.isEmpty())
            return fail("Xvfb did not start");
        display = ":" + number;
        return true;
    }

    QByteArray display;
    QString problem;
    bool missing = false;

private:
    bool fail(const char* why) {
        problem = QString::fromLatin1(why);
        return false;
    }
    pid_t pid_ = -1;
};

Xvfb* xvfb = nullptr;

// An expected action with the least pause before it: "+800 activate 2" or just "S up".
struct Expected {
    int pause = 0;
    QString text;
};
Expected expected(const QString& line) {
    if (!line.startsWith('+'))
        return {0, line};
    const int space = line.indexOf(' ');
    return {line.mid(1, space - 1).toInt(), line.mid(space + 1)};
}

const QString kPlayer = QStringLiteral("Halvern Player");

// What the nudge does to one window: Ctrl+S, 800 ms, Ctrl+O, each held for 100 ms.
QStringList nudgeOf(int window, int pauseBefore) {
    const QString activate = QStringLiteral("activate %1").arg(window);
    return {QStringLiteral("+%1 ").arg(pauseBefore) + activate,
            "Control down",
            "S down",
            "+100 Control up",
            "S up",
            "+800 " + activate,
            "Control down",
            "O down",
            "+100 Control up",
            "O up"};
}

#ifdef CORVANE_TEST_X11
// The test's own connection to the private X server, and the windows it makes there.
class XClient {
public:
    explicit XClient(const QByteArray& name) : d(XOpenDisplay(name.constData())) {
        if (d)
            root = DefaultRootWindow(d);
    }
    ~XClient() {
        if (!d)
            return;
        for (const Window w : made)
            XDestroyWindow(d, w);
        XDeleteProperty(d, root, atom("_NET_CLIENT_LIST_STACKING"));
        XSetInputFocus(d, PointerRoot, RevertToPointerRoot, CurrentTime);
        XSync(d, False);
        XCloseDisplay(d);
    }
    Atom atom(const char* name) const { return XInternAtom(d, name, False); }

    // "label|_NET_WM_NAME|WM_NAME" (an empty title is left out); a label starting with "~" is a
    // window that is not mapped. Each new window goes on top of the others.
    Window make(const QString& description) {
        const QStringList p = description.split('|');
        const bool mapped = !p[0].startsWith('~');
        const Window w = XCreateSimpleWindow(d, root, 10 * made.size(), 10, 120, 80, 0, 0, 0);
        if (!p[1].isEmpty()) {
            const QByteArray utf8 = p[1].toUtf8();
            XChangeProperty(d, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(utf8.constData()),
                            static_cast<int>(utf8.size()));
        }
        if (!p[2].isEmpty()) {
            const QByteArray latin1 = p[2].toLatin1();
            XChangeProperty(d, w, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(latin1.constData()),
                            static_cast<int>(latin1.size()));
        }
        XSelectInput(d, w, KeyPressMask | KeyReleaseMask);
        if (mapped)
            XMapRaised(d, w);
        XSync(d, False);
        made.append(w);
        labels.append(p[0].mid(mapped ? 0 : 1));
        return w;
    }

    // What a window manager publishes: its clients from the bottom of the stack to the top.
    void publishStacking(const QList<Window>& bottomToTop) {
        std::vector<unsigned long> ids(bottomToTop.begin(), bottomToTop.end());
        XChangeProperty(d, root, atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(ids.data()),
                        static_cast<int>(ids.size()));
        XSync(d, False);
    }

    Window byLabel(const QString& label) const { return made.value(labels.indexOf(label)); }

    struct Press {
        QString text; // "A:s"; "A:s without Ctrl" when Control was not held
        unsigned long time;
    };
    // The presses of S and O that reached the test's windows, in order.
    QList<Press> presses() {
        XSync(d, False);
        QList<Press> list;
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type != kXKeyPress)
                continue;
            const KeySym sym = XLookupKeysym(&e.xkey, 0);
            if (sym != XK_s && sym != XK_o)
                continue;
            QString text = labels.value(made.indexOf(e.xkey.window), QStringLiteral("?")) + ':' +
                           (sym == XK_s ? 's' : 'o');
            if (!(e.xkey.state & ControlMask))
                text += QStringLiteral(" without Ctrl");
            list.append({text, e.xkey.time});
        }
        return list;
    }

    // Whether any of Control, S and O is still held down.
    bool keysHeld() {
        char keys[32];
        XQueryKeymap(d, keys);
        for (const KeySym sym : {XK_Control_L, XK_s, XK_o}) {
            const KeyCode code = XKeysymToKeycode(d, sym);
            if (keys[code / 8] & (1 << (code % 8)))
                return true;
        }
        return false;
    }

    Display* d;
    Window root = static_cast<Window>(kXNone);
    QList<Window> made;
    QStringList labels;
};
#endif

} // namespace

class PlayerNudgeTest : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::pacing::setScale(0.25); }
    void cleanup() { platform::pacing::setScale(1); }

    // Against a recorded desktop: the windows from the top down; what happens, each step with the
    // least pause before it (nominal milliseconds).
    void sequence_data() {
        QTest::addColumn<QStringList>("windows");
        QTest::addColumn<bool>("focusRefused");
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("no player: a pause only")
            << QStringList{"Halvern Player - clip.mp4", "Editor"} << false
            << QStringList{"find", "+100 end"};
        QTest::newRow("one player") << QStringList{"Editor", kPlayer} << false
                                    << QStringList{"find"} + nudgeOf(2, 100) + QStringList{"end"};
        QTest::newRow("two players: the second from the top first")
            << QStringList{kPlayer, "Halvern Player - clip.mp4", kPlayer, kPlayer} << false
            << QStringList{"find"} + nudgeOf(3, 0) + nudgeOf(1, 100) + QStringList{"end"};
        // Keys for a window that did not get the focus would reach whichever program has it.
        QTest::newRow("a window that does not get the focus gets no keys")
            << QStringList{kPlayer} << true
            << QStringList{"find", "+100 activate 1", "+1200 activate 1", "+400 end"};
    }
    void sequence() {
        QFETCH(QStringList, windows);
        QFETCH(bool, focusRefused);
        QFETCH(QStringList, actions);
        PlayerRecorder desktop(windows);
        desktop.focusRefused = focusRefused;
        pp::Push_Aut("start");
        desktop.mark(QStringLiteral("end"));

        QStringList want;
        for (const QString& a : actions)
            want << expected(a).text;
        QCOMPARE(desktop.texts(), want);
        for (int i = 1; i < actions.size(); ++i) {
            const qint64 pause = desktop.actions[i].ms - desktop.actions[i - 1].ms;
            const qint64 least = expected(actions[i]).pause * platform::pacing::scale() - 1;
            QVERIFY2(pause >= least, qPrintable(QStringLiteral("%1 after %2 ms, expected %3")
                                                    .arg(actions[i])
                                                    .arg(pause)
                                                    .arg(least)));
        }
    }

    // Windows bottom to top ("label|_NET_WM_NAME|WM_NAME", "~" for one not mapped); the window
    // manager's stacking list ("" for none: the server's own order counts); the window focused
    // before; the presses of Ctrl+S and Ctrl+O expected, in order.
    void playerWindowsGetTheKeys_data() {
        QTest::addColumn<QStringList>("windows");
        QTest::addColumn<QString>("stacking");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("presses");
        const QString look = QStringLiteral("Halvern Player - clip.mp4");
        const QString p = kPlayer;
        QTest::newRow("two players and a look-alike")
            << QStringList{"A|" + p + "|" + p, "C|" + look + "|" + look, "B|" + p + "|" + p} << ""
            << ""
            << "A:s A:o B:s B:o";
        QTest::newRow("one player") << QStringList{"A|" + p + "|" + p, "C|" + look + "|"} << ""
                                    << ""
                                    << "A:s A:o";
        QTest::newRow("the top two of three players")
            << QStringList{"A|" + p + "|", "B|" + p + "|", "D|" + p + "|"} << ""
            << ""
            << "B:s B:o D:s D:o";
        QTest::newRow("the UTF-8 title first, WM_NAME only without it")
            << QStringList{"A|" + look + "|" + p, "B||" + p, "C|" + p + "|Something else"} << ""
            << ""
            << "B:s B:o C:s C:o";
        QTest::newRow("case and spaces count")
            << QStringList{"A|halvern player|", "B|" + p + " |", "C| " + p + "|"} << ""
            << ""
            << "";
        // The list puts A on top although the server stacks X above both; X is not listed.
        QTest::newRow("the window manager's stacking list")
            << QStringList{"A|" + p + "|", "B|" + p + "|", "X|" + p + "|"} << "B A"
            << ""
            << "B:s B:o A:s A:o";
        QTest::newRow("a hidden player: no keys, not even to the focused window")
            << QStringList{"F|Editor|Editor", "~U|" + p + "|" + p} << ""
            << "F"
            << "";
    }
    void playerWindowsGetTheKeys() {
#ifndef CORVANE_TEST_X11
        QSKIP("built without the X11 libraries");
#else
        QFETCH(QStringList, windows);
        QFETCH(QString, stacking);
        QFETCH(QString, focused);
        QFETCH(QString, presses);
        if (xvfb->display.isEmpty()) {
            if (xvfb->missing)
                QSKIP(qPrintable(xvfb->problem));
            QFAIL(qPrintable(xvfb->problem));
        }
        XClient x(xvfb->display);
        QVERIFY(x.d);
        for (const QString& w : windows)
            x.make(w);
        if (!stacking.isEmpty()) {
            QList<Window> list;
            for (const QString& label : stacking.split(' '))
                list << x.byLabel(label);
            x.publishStacking(list);
        }
        if (!focused.isEmpty())
            XSetInputFocus(x.d, x.byLabel(focused), RevertToParent, CurrentTime);
        XSync(x.d, False);

        QElapsedTimer clock;
        clock.start();
        pp::Push_Aut("start");
        const qint64 took = clock.elapsed();
        const double scale = platform::pacing::scale();
        QVERIFY(took >= 100 * scale - 1);

        // The program's windows elsewhere than on X11 reach no window there.
        const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
        const QList<XClient::Press> got = x.presses();
        QStringList texts;
        for (const auto& press : got)
            texts << press.text;
        QCOMPARE(texts.join(' '), onX11 ? presses : QString());
        QVERIFY(!x.keysHeld());
        // Ctrl+O follows Ctrl+S on the same window after 100 + 800 ms; the next window's Ctrl+S
        // comes 100 + 100 ms after the Ctrl+O before it.
        for (int i = 1; i < got.size(); ++i) {
            const long least = got[i].text.endsWith('o') ? 900 : 200;
            QVERIFY2(static_cast<double>(got[i].time - got[i - 1].time) >= least * scale - 1,
                     qPrintable(got[i].text));
        }
#endif
    }
};

int main(int argc, char** argv) {
    Xvfb server;
    bool platformGiven = false;
    for (int i = 1; i < argc; ++i)
        platformGiven = platformGiven || qstrcmp(argv[i], "-platform") == 0;
    xvfb = &server;
    if (server.start()) {
        qputenv("DISPLAY", server.display);
        if (!platformGiven)
            qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int rc = 0;
    {
        QApplication app(argc, argv);
        PlayerNudgeTest test;
        rc = QTest::qExec(&test, argc, argv);
    }
    return rc;
}

#include "player_nudge_test.moc"
