// The main window from the keyboard: Tab in reading order, the shortcuts of the most used
// commands (shown in the menus), and a menu bar that shows every menu at the window's width.
#include "app/handlers/wiring.h"
#include "app/tform1.h"

#include "ui_tform1.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>

#include <algorithm>

namespace {

// The window is 440 pixels wide, fewer than the menu bar's nine menus take with the style's
// spacing between them, which pushed the last ones behind the overflow mark. The bar keeps its
// font and its menus; only the gaps between the items go (each item keeps its own padding, so
// captions stay apart and every item stays as easy to hit).
class TightMenuBarStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_MenuBarItemSpacing)
            return 0;
        if (metric == PM_MenuBarHMargin)
            return std::min(QProxyStyle::pixelMetric(metric, option, widget), 2);
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

// Tab moves through the controls top to bottom, a group at a time, left to right within a row of
// a group: the four main buttons; the "Interface", "Camera" boxes, the recording indicator and the
// "Auto " group; the stream 11 group, then the stream 12 group; the network settings (the button
// "Save Network Configuration" at their top), then the FEC settings beside them; the two
// interface buttons; the status panel that takes a click. Controls that are hidden or disabled
// are passed over as usual.
namespace {
const char* const kTabOrder[] = {
    "BitBtn1",  "BitBtn2",    "BitBtn3",    "BitBtn4",                                         //
    "UDPCheck", "RS232Check", "FixCheck",   "MovCheck", "Rec1",                                //
    "AutStart", "UDPRSB",     "AutoDetect", "Auto_rtp", "PARTP",                               //
    "S1I",      "Res1",       "URes1",      "Bit1",     "UBit1",  "Gop1",     "UGop1", "fps1", //
    "Ufps1",    "Efmt1",      "S1Aud",      "ERec1",    "CBR11B", "VBR11B",                    //
    "S2I",      "Res2",       "URes2",      "Bit2",     "UBit2",  "Gop2",     "UGop2", "fps2", //
    "Ufps2",    "Efmt2",      "S2Aud",      "ERec2",    "CBR12B", "VBR12B",                    //
    "BitBtn5",  "ipb",        "gwp",        "SubB",     "MTUB",   "UDPRSIPB",                  //
    "CEFEC",    "FECP",       "DFEC",       "LFEC",     "ERRFEC",                              //
    "BitBtn6",  "BitBtn7",    "Panel5",
};
} // namespace

void handlers::wireKeyboard(TForm1& f, Ui::TForm1& ui) {
    QWidget* previous = nullptr;
    for (const char* name : kTabOrder) {
        auto* w = f.centralWidget()->findChild<QWidget*>(QLatin1String(name));
        Q_ASSERT(w);
        if (!w)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }

    // "Read Config." and "Save Config." are buttons; their shortcuts live in items of the
    // "Configuration" menu, which show them and press the buttons (a disabled button stays
    // unpressed). Save Config. takes Shift as well: a Ctrl+S out of habit would send the whole
    // configuration to a board that may be on air.
    const auto pressing = [&f](QPushButton* button, const QKeySequence& keys) {
        auto* action = new QAction(button->text(), &f);
        action->setObjectName(button->objectName() + QStringLiteral("Item"));
        action->setShortcut(keys);
        QObject::connect(action, &QAction::triggered, button, [button] {
            if (button->isEnabled())
                button->click();
        });
        button->setToolTip(QStringLiteral("%1 (%2)").arg(button->text().trimmed(),
                                                         keys.toString(QKeySequence::NativeText)));
        return action;
    };
    QMenu* configuration = ui.CreateDefaultConfigurationFile1;
    QAction* first = configuration->actions().value(0);
    configuration->insertAction(first, pressing(ui.BitBtn1, QKeySequence(Qt::CTRL | Qt::Key_R)));
    configuration->insertAction(
        first, pressing(ui.BitBtn2, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    configuration->insertSeparator(first);

    // "Connect " stays on the menu bar; the "Interface" menu, where the link is chosen, shows it
    // again with its shortcut.
    ui.Connect1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    ui.InterfaceSel->addSeparator();
    ui.InterfaceSel->addAction(ui.Connect1);

    auto* style = new TightMenuBarStyle;
    style->setParent(f.menuBar());
    f.menuBar()->setStyle(style);
}
