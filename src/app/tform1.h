#pragma once
// The main window. It owns everything that lives for the whole run; its member functions are
// defined in the folder of their subsystem (app/, link/, config/, controls/, files/).
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QSerialPort>
#include <QTimer>
#include <QUdpSocket>

#include "core/replies.h"
#include "core/settings.h"
#include "core/variant.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TForm1;
}
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TAboutfrm;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The dialogs are created after the main window; it reaches them through these.
    void setDialogs(TForm2* form2, TForm3* form3, TForm4* form4, TForm5* form5, TAboutfrm* about);
    TForm2* form2() const { return Form2; }
    TForm3* form3() const { return Form3; }
    TForm4* form4() const { return Form4; }
    TForm5* form5() const { return Form5; }

    // --- Application shell: start-up, status display, closing
    static void GetBuildInfo(std::uint16_t& major, std::uint16_t& minor, std::uint16_t& release,
                             std::uint16_t& build);
    static QString versionText();
    void FormShow();
    void IdleProc();
    void Exit1Click();
    void Panel5Click();
    void ClearUIBClick();

    QString AppDir;
    bool StreamingOn = false;

    // --- Board variant and module flags (app/variant.cpp)
    corvane::variant::BoardFlags boardFlags() const;
    void setBoardFlags(const corvane::variant::BoardFlags& flags);
    // Applies a board variant to the title, the stream groups, the sensor-input lists, the flags
    // and the board dialog's module groups; what the effect leaves empty stays as it is.
    void applyVariant(const corvane::variant::VariantEffect& effect);
    void clearStatusLine();
    bool FullBoard = true;
    int BoardVariant = 0;
    bool Ch11Sdi = false, Ch11Analog = false, Ch11Hdmi = false;
    bool Ch12Sdi = false, Ch12Analog = false, Ch12Hdmi = false;

    // --- Board link: transports and the send path
    QSerialPort* ComPort1 = nullptr;
    // The serial settings as the operator sees them; pushed to ComPort1 by applySerialSettings().
    corvane::settings::SerialSettings ComSettings;
    void applySerialSettings(const corvane::settings::SerialSettings& settings);
    QUdpSocket* Uc = nullptr;
    int UcReceiveTimeout = 1000;
    // False when the serial layer failed during the write: the error has been shown, the port is
    // closed, and the calling handler ends there.
    bool CWriteStr(const std::string& text);
    void Connect1Click();
    void RS232CheckClick(bool checked);
    void UDPCheckClick(bool checked);
    void ConfigurationClick();
    void Configuration2Click();
    void ComPort1RxChar();
    bool udpActive() const;

    // --- Replies
    corvane::replies::ReceiveBuffer RxBuffer;
    std::string RxFrame;
    bool ReplySeen = false;
    bool AckReceived = false;
    void UDPRxChar(const std::string& text, int count);

    // --- Discovery, keep-alive and acknowledgement waits
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    bool KeepAlivePending = false;
    bool AckWaiting = false;
    std::int32_t SearchTries = 0;
    std::int32_t SearchLimit = 0;
    std::uint8_t TestMode = 0;
    bool SearchActive = false;
    void Timer1Timer();
    void StartKeepAlive1Click();
    void StopKeepAlive1Click();
    void TestClick();
    void estRS2321Click();
    void estUDP1Click();
    void estBurn1Click();
    void estBoth1Click();
    void Timer2Timer();
    void TestforConnectionRS232();
    void TestforConnectionUDP();
    void WaitforAck();
    void Timer3Timer();

    // --- Sensor input and resolution selection (controls/inputs.cpp)
    void wireInputs();
    void S1IChange();
    void S2IChange();
    void Res1Change();
    void Res2Change();
    // The resolution floor that the input now selected for stream 11 or 12 sets, by the board
    // flags (0: none); the recording dialog applies it when the operator picks a resolution.
    int selectedInputFloor(int stream) const;

    // --- Board configuration and detection replies
    void ClearUI();
    void Decode_Conf(const std::string& frame);
    void DecodeAutRes(const std::string& buffer);
    void FindAssem(const std::string& text);
    std::string StreamModeLetter;
    std::int32_t RateMode11 = 1;
    std::int32_t RateMode12 = 1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void wire();
    void applyLook();
    void FormClose();

    // settings files (app/settings_files.cpp)
    void loadSerialSettings();
    void storeSerialSettings();
    void loadUdpSettings();
    void loadBoardSettings();

    // board link (link/)
    void setupSerialDefaults();
    void wireLink();
    QString serialStatusText() const;
    void showLinkState(const QString& status, const std::string& portName);
    QString linkStateStatus_, linkStateShown_;
    void showReady();
    void setConNot(const QString& text, const QColor& colour);
    void refuseSend();
    bool openSerialPort();
    void onSerialError(QSerialPort::SerialPortError error);
    bool connectUdp(int receiveTimeout);
    std::string receiveDatagram(int timeoutMs);
    void dropStaleDatagrams();
    void receiveSerialNow();
    bool serialClosing_ = false;

    // Inside a UDP receive wait the window repaints but runs no operator input and none of these
    // handlers; one that falls due then runs once right after the wait.
    bool heldByUdpWait(void (TForm1::*handler)(), const QTimer* timer);
    void releaseHeldHandlers();
    struct HeldHandler {
        void (TForm1::*handler)();
        const QTimer* timer; // the handler runs only if this timer still runs (none: always)
    };
    std::vector<HeldHandler> held_;
    bool udpWaiting_ = false;

    // reply dispatch (link/dispatch.cpp)
    void dispatchSerial();
    void applyReplyEffect(const corvane::replies::Effect& effect);

    // discovery (link/discovery.cpp)
    void wireDiscovery();
    void startSearch(std::uint8_t mode, std::int32_t limit);
    // Enabling a timer that already runs leaves its schedule alone.
    static void startIfStopped(QTimer* timer);
    bool searchTickRunning_ = false;
    bool probeFailed_ = false;

    std::unique_ptr<Ui::TForm1> ui;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;
    TAboutfrm* Aboutfrm = nullptr;
    bool shownOnce_ = false;
};
