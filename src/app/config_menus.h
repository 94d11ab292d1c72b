#pragma once
// The "Configuration" menu's items around the whole configuration: "Compare with Board" (the
// board's configuration read beside the windows), "History…" (every configuration read and sent,
// kept in history/ of the working folder) and "Export Settings…" / "Import Settings…" (the
// windows as the command-line tool's text). Made with the main window; their windows are built
// when first needed.
#include "core/controls.h"
#include "core/history.h"

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class CompareWindow;
class HistoryWindow;
class StatusStrip;
class TForm1;
namespace Ui {
class TForm1;
}

class ConfigMenus : public QObject {
public:
    // Wires the four items of `ui`; notes (a history that could not be written, a file written)
    // go to `strip`. `showReply` shows a configuration reply in the windows as "Read Config." does
    // ("Load Board Values").
    ConfigMenus(TForm1& window, Ui::TForm1& ui, StatusStrip& strip,
                std::function<void(const std::string&)> showReply);

    // "Compare with Board": the frames of "Read Config." as a sequence of its own; the reply is
    // compared with the windows, which stay as they are.
    void compare();
    // "History…": the list of entries, built when first opened and read again when shown.
    void openHistory();
    // "Export Settings…" and "Import Settings…".
    void exportSettings();
    void importSettings();

    // A configuration reply came: true when the windows are to show it; false when a comparison
    // takes it, or when it comes after a comparison gave up waiting for it.
    bool replyForWindows(const std::string& frame);
    // A read for the windows begins: a late reply of an earlier comparison is theirs again.
    void readBegins() { comparedReplyDue_ = false; }

    // The link in use as a history file's name gives it ("udp-192.168.1.20", "serial-ttyUSB0").
    std::string historyLink() const;
    // Writes a configuration read or sent as a new history entry named by `link`; a failed write
    // is a note in the status bar and changes nothing else.
    void recordHistory(corvane::history::Kind kind, const corvane::controls::ConfigView& view,
                       const std::string& link);

    // Built when first needed (nullptr until then).
    CompareWindow* compareWindow() const { return compareWindow_; }
    HistoryWindow* historyWindow() const { return historyWindow_; }

private:
    TForm1& f_;
    StatusStrip& strip_;
    std::function<void(const std::string&)> showReply_;
    // While set, a configuration reply is kept here instead of being shown in the windows.
    std::optional<std::string>* replyTap_ = nullptr;
    // A comparison ended before its configuration reply came: should it come late, it is dropped
    // rather than shown in the windows.
    bool comparedReplyDue_ = false;
    // The board's configuration reply that the last comparison showed ("Load Board Values").
    std::string comparedReply_;
    CompareWindow* compareWindow_ = nullptr;
    HistoryWindow* historyWindow_ = nullptr;
};
