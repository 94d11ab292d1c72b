#pragma once
// The main window. It owns everything that lives for the whole run; its member functions are
// defined in this folder: the window's own side here, the handlers of each subsystem in handlers/.
#include <QHash>
#include <QMainWindow>
#include <QPixmap>
#include <QSerialPort>
#include <QTimer>
#include <QUdpSocket>

#include "app/link_drop.h"
#include "link/board_link.h"
#include "link/board_search.h"
#include "link/link_keeper.h"

#include "core/controls.h"
#include "core/plan.h"
#include "core/replies.h"
#include "core/save_plan.h"
#include "core/server_record.h"
#include "core/settings.h"
#include "core/steps.h"
#include "core/variant.h"
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace corvane::plan {
struct Plan;
}
namespace Ui {
class TForm1;
}
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TAboutfrm;
class ConfigMenus;
class ControlMap;
class LinkMenus;
class QAction;
class StatusStrip;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Creates the main window, then its UDP, recording, board, RTP and About dialogs, which live
    // as long as it does.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // --- The board link, the board search and the link's keeping, apart from the window; the
    //     product's names for their parts follow, as aliases and one-line forwarders.
    BoardLink link;
    BoardSearch search{link};
    LinkKeeper keeper{link};

    // The dialogs as the operator would find them: their widgets are built when first reached
    // (or shown); until then they hold their values as plain values.
    TForm2* form2() const;
    TForm3* form3() const;
    TForm4* form4() const { return Form4.get(); }
    TForm5* form5() const;
    TAboutfrm* aboutfrm(); // built when first asked for

    // --- Application shell: start-up, status display, closing
    static void GetBuildInfo(std::uint16_t& major, std::uint16_t& minor, std::uint16_t& release,
                             std::uint16_t& build);
    void FormShow();
    void IdleProc();
    void Exit1Click();
    void About1Click();
    void Panel5Click();
    void ClearUIBClick();
    // READY: shown when the board acknowledges, hidden by every send. Showing it paints it at
    // once, also in the middle of a paced sequence whose pauses block the window.
    void setReady(bool ready);

    QString AppDir;
    bool StreamingOn = false;

    // --- Board variant and module flags (app/variant.cpp)
    // The board flags, held once: FullBoard (the full variant), BoardVariant and the module flags
    // of channels 11 and 12 (SDI, analog, HDMI).
    corvane::variant::BoardFlags Board;
    // Applies a board variant to the title, the stream groups, the sensor-input lists, the flags
    // and the board dialog's module groups; what the effect leaves empty stays as it is.
    void applyVariant(const corvane::variant::VariantEffect& effect);
    // The board dialog's Save: brdf.ini, then the variant; a failed write keeps the dialog open.
    void saveBoard(int c11gIndex, int c12gIndex);

    // --- Board link: transports and the send path (link/board_link.h; the product's names for
    //     its parts in app/link_names.cpp, the window's side in app/link_window.cpp)
    QSerialPort* const& ComPort1 = link.serial;
    QUdpSocket* const& Uc = link.udp;
    // The serial settings as the operator sees them; the keeper applies them to ComPort1 (a port
    // that they move and that does not open again is reported).
    const corvane::settings::SerialSettings& serialSettings = keeper.serialSettings();
    void applySerialSettings(const corvane::settings::SerialSettings& settings);
    // False when the serial layer failed during the write: the error has been shown, the port is
    // closed, and the calling handler ends there.
    bool CWriteStr(const std::string& text);
    void Connect1Click();
    void RS232CheckClick(bool checked);
    void UDPCheckClick(bool checked);
    void ConfigurationClick();
    void Configuration2Click();
    bool udpActive() const;

    // --- Replies
    corvane::replies::ReceiveBuffer& RxBuffer = link.rx;
    std::string& RxFrame = link.rxFrame;
    bool& ReplySeen = link.replySeen;
    bool& AckReceived = link.ackReceived;
    void UDPRxChar(const std::string& text, int count);

    // --- Discovery, keep-alive and acknowledgement waits
    QTimer* const& Timer1 = keeper.keepAliveTimer;
    QTimer* const& Timer2 = search.timer;
    QTimer* const& Timer3 = link.ackTimer;
    bool& KeepAlivePending = link.keepAlivePending;
    bool& AckWaiting = link.ackWaiting;
    void Timer1Timer();
    void StartKeepAlive1Click();
    void StopKeepAlive1Click();
    void estRS2321Click();
    void estUDP1Click();
    void estBurn1Click();
    void estBoth1Click();
    void TestforConnectionRS232();
    void WaitforAck();

    // --- Sensor input and resolution selection (handlers/inputs.cpp)
    void S1IChange();
    void S2IChange();
    void Res1Change();
    void Res2Change();

    // --- Configuration controls as data (handlers/control_apply.cpp)
    // What the configuration controls of the three windows show now.
    corvane::controls::ConfigView readControls() const;
    // Applies the actions in order through the widgets (so their handlers run as an operator's
    // change would run them) and the window's state; then shows the error, if there is one.
    void applyActions(const corvane::controls::Applied& applied);
    const ControlMap& controlMap() const { return *controls_; }
    // Runs a paced sequence through the link: sends, pauses, acknowledgement waits (which hold
    // back operator input, so two sequences never interleave). False when a send failed on the
    // serial port, which ends the sequence and its handler.
    bool runSteps(const corvane::steps::Steps& steps);

    // --- Board maintenance (handlers/maintenance.cpp)
    void ExitBoard2Click();          // "&Exit Board Application"
    void GetFirmwareVersion1Click(); // "Get Firmware Version "
    void RebootBoard1Click();        // "Reboot Board !!!!"
    void BitBtn6Click();             // "Change Interface to RS2323"
    void BitBtn7Click();             // "Change Interface to UDP"
    void CreateDefault1Click();      // "Create Default"
    void Board1Click();              // shows the board dialog

    // --- Board configuration and detection replies
    void BitBtn1Click();
    void ClearUI();
    void Decode_Conf(const std::string& frame);
    void DecodeAutRes(const std::string& buffer);
    void FindAssem(const std::string& text);
    std::string StreamModeLetter;
    std::int32_t RateMode11 = 1;
    std::int32_t RateMode12 = 1;

    // --- Saving the configuration (handlers/save_conf.cpp) and the per-stream updates
    //     (handlers/updates.cpp)
    void BitBtn2Click();
    void Push_Aut(const QString& text);
    void URes1Click();
    void URes2Click();
    void UBit1Click();
    void UBit2Click();
    void UGop1Click();
    void UGop2Click();
    void Ufps1Click();
    void Ufps2Click();
    void CBR11BClick();
    void VBR11BClick();
    void CBR12BClick();
    void VBR12BClick();

    // --- Network, FEC and streaming (handlers/network.cpp, handlers/streaming.cpp,
    //     handlers/run_plan.cpp)
    void BitBtn5Click();
    void CEFECClick(bool checked);
    void ERRFECClick(bool checked);
    void LFECKeyUp();
    void DFECKeyUp();
    void FECPKeyUp();
    void BitBtn3Click();
    void BitBtn4Click();
    void StartRTP11Click();
    void StartRTP12Click();
    void UDPRS1Click();
    void CPRS1Click();
    void PARTPClick();
    void AutoDetectClick(bool checked);
    void FixCheckClick(bool checked);
    void MovCheckClick(bool checked);
    void Auto_rtpClick();
    void Rec1MouseActivate();
    // Runs a handler's plan in order: its steps through runSteps, its control changes through
    // applyActions (so a box it changes runs its own handler), its messages, the FEC locks and
    // StreamingOn directly.
    // A plan given a name runs as that sequence, with its progress and Cancel in the status bar,
    // and ends with the handler's `endText`, if any.
    void runPlan(const corvane::plan::Plan& plan, const QString& sequence = {},
                 BoardLink::EndText endText = {});

    // --- Server configuration file and SDP files (handlers/server_file.cpp, sdp_files.cpp)
    // The server configuration record, all zero at start; opening a file reads into it, updating
    // and creating a default file write it.
    corvane::record::ServerConfigRecord ServerRecord;
    // The open dialog's current file name: the file that "Update  Configuration File" writes. It
    // changes only when the operator picks a file in the open dialog.
    QString OpenDialogFileName = QStringLiteral("rtspserver.dat");
    void OpenConfigurationFile1Click();
    void UpdateConfigurationFile1Click();
    void CreateDefaultConfigurationFile1Click();
    // The record into the windows.
    void Encode_File();
    // The windows into the record; false (after telling the operator) when a number edit does not
    // hold a whole number, with the fields before it already in the record.
    bool Decode_File();
    // The RTP dialog's "Create SDP File" of stream 11 or 12.
    void writeSdpFile(int stream);

    // A whole configuration (a settings text, a history entry) shown in the windows as opening a
    // server configuration file shows one: the boxes it changes send nothing, and "Save Config."
    // then sends it unasked (handlers/server_file.cpp).
    void showConfiguration(const corvane::controls::ConfigView& view);

    // --- "Compare with Board", "History…", "Export Settings…" and "Import Settings…"
    //     (app/config_menus.h), made with the window.
    ConfigMenus* configMenus = nullptr;

    // --- The link monitor and "Reconnect Automatically" (app/link_menus.h; the keeper
    //     reconnects), made with the window.
    LinkMenus* linkMenus = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void wire();
    void applyLook(const QPixmap& logo);
    void FormClose();

    // board link, the window's side (app/link_window.cpp)
    void wireLink();
    // The link state line and its notes, a sequence's progress with "Cancel", and how the last
    // sequence ended (app/status_strip.h): the window decides what they say.
    StatusStrip* strip_ = nullptr;
    // Holds the board search's last word in Panel5 for 2 s after the search ends.
    QTimer* searchNoteTimer_ = nullptr;
    // "Connected", READY and "Client Connected" go out: the board is not known to answer.
    void showLinkDown();
    // What a search of the "Test" menu does right before it starts.
    void TestClick();
    // What a shown sequence's end means to the operator, in the status bar and, when the board or
    // the port failed, in a message.
    void showSequenceEnd(const BoardLink::SequenceReport& report);
    bool closeAfterSequence_ = false;
    // The controls held while a sequence runs, with the enabled state each is to have after it.
    void holdControls(bool hold);
    QHash<QObject*, bool> heldEnabled_;
    // The windows hold a configuration read from the board or a file (Save Config. asks when not).
    bool configHeld_ = false;
    // Reading or clearing the display is under way: the boxes it changes send nothing.
    bool boxesSendNothing_ = false;
    void onSerialLost(const QString& reason);
    void applyReplyEffect(const corvane::replies::Effect& effect);
    // The link is gone: what goes with it, in the order app/link_drop.h gives.
    void dropLink(CloseLink close, const LinkDrop& how);
    // The board was told to restart (exit its application, reboot): reconnecting begins, then
    // the open link on the chosen interface is dropped whole, the display cleared as `clear` says
    // (handlers/maintenance.cpp).
    void restartBoard(ClearDisplay clear);

    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TAboutfrm> Aboutfrm;
    QPixmap logo_;
    std::unique_ptr<ControlMap> controls_;
    bool shownOnce_ = false;
};
