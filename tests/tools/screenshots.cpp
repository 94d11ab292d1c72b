// The README's screenshots: the program reads the configuration of the stand-in board over UDP,
// then each window is shown alone and photographed with its frame from the X server's screen.
// Run by scripts/screenshots.sh, which starts an X server of its own and a window manager.
//
//   CORVANE_BOARD=build/sim/corvane-board screenshots OUTPUT_FOLDER
#include "app/config_menus.h"
#include "app/windows.h"
#include "dialogs/compare_window.h"
#include "support/board_process.h"
#include "support/program.h"
#include "support/view_text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cstdio>

namespace {

// What is not black on the screen: the one window shown, with its frame. Its black outer border
// is put back as a margin.
QImage shown(const QImage& screen) {
    int left = screen.width(), top = screen.height(), right = -1, bottom = -1;
    for (int y = 0; y < screen.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); ++x) {
            if ((line[x] & 0xffffff) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return {};
    const int border = 2;
    return screen.copy(QRect(QPoint(left, top), QPoint(right, bottom))
                           .adjusted(-border, -border, border, border)
                           .intersected(screen.rect()));
}

// Shows the window alone on the black screen, lets the window manager frame and place it, and
// saves what the screen then shows.
bool shoot(QWidget* window, const QString& file) {
    window->show();
    window->raise();
    window->activateWindow();
    runEventLoop(1500);
    const QImage shot =
        shown(window->screen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32));
    window->hide();
    runEventLoop(300);
    if (shot.isNull() || !shot.save(file, "PNG", 0)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(file), shot.width(), shot.height());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out =
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs")).absolutePath();
    BoardProcess board;
    if (!board.ready()) {
        std::fprintf(stderr, "the stand-in board did not start: %s\n", qPrintable(board.why()));
        return 1;
    }
    RunningProgram p; // message boxes are recorded, not shown
    p.udpAt(board.port());
    p.udp()->setChecked(true);
    p.f->Connect1Click();
    p.f->BitBtn1Click(); // Read Config.
    runEventLoop(500);
    p.f->Timer1Timer(); // the keep-alive answer shows "Connected"
    runEventLoop(500);
    p.f->hide();

    bool ok = shoot(p.f, out + "/main-window.png");
    // The dialog shows the usual ports rather than those of this run (it is read at connecting).
    child<QLineEdit>(p.w->Form2, "SPort")->setText("8070");
    child<QLineEdit>(p.w->Form2, "PortL")->setText("6767");
    ok = shoot(p.w->Form2, out + "/udp-dialog.png") && ok;
    ok = shoot(p.w->Form3, out + "/recording-dialog.png") && ok;
    // The small board, whose dialog also shows the module of each channel (nothing is saved).
    child<QCheckBox>(p.w->Form4, "LumoS")->setChecked(true);
    ok = shoot(p.w->Form4, out + "/board-dialog.png") && ok;
    ok = shoot(p.w->Form5, out + "/rtp-dialog.png") && ok;
    p.f->About1Click(); // fills in the version
    ok = shoot(p.f->aboutfrm(), out + "/about-box.png") && ok;
    // "Compare with Board" after a few settings were edited in the windows since the read (the
    // full board again, as read).
    child<QCheckBox>(p.w->Form4, "LumoS")->setChecked(false);
    p.f->applyActions(
        actionsOf(QStringLiteral("Bit1='6000' Gop2='50' RTP11_IP='192.168.1.50' Efmt2=1")));
    // The window belongs to the main window and shows above it; for a picture of it alone it
    // is then taken out of the main window (the window manager maps nothing above a hidden
    // window).
    p.f->show();
    runEventLoop(800);
    p.f->findChild<QAction*>("CompareWithBoard1")->trigger();
    if (!p.f->configMenus->compareWindow()) {
        std::fprintf(stderr, "the comparison was not shown\n");
        return 1;
    }
    runEventLoop(800);
    p.f->configMenus->compareWindow()->hide();
    p.f->hide();
    runEventLoop(800);
    p.f->configMenus->compareWindow()->setParent(nullptr, Qt::Dialog);
    ok = shoot(p.f->configMenus->compareWindow(), out + "/compare-window.png") && ok;
    for (const ShownMessage& m : p.prompts.messages)
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
    return ok ? 0 : 1;
}
