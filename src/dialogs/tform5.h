#pragma once
// The RTP configuration dialog: session type, destination address, port and multicast group of
// each stream's plain RTP output, and a button per stream for the receiver's SDP file. Its controls
// are the RTP settings; the main window reaches them by name (app/control_map.h) and writes the
// SDP files when the dialog asks for them. Created once, shown and hidden; its widgets are built
// when it is first shown or reached (build()), and until then the main window holds its values.
#include <QDialog>
#include <memory>

namespace Ui {
class TForm5;
}
class QComboBox;
class QLineEdit;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;
    // Builds the widgets, once; built() tells when.
    void build();
    bool isBuilt() const { return ui != nullptr; }
    void setVisible(bool visible) override;

    // Stream 11 / stream 12. The session lists: 0 "Unicast", 1 "Multicast", -1 nothing.
    // "Create SDP File" of stream 11 / stream 12: asks for that stream's SDP file.
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn2Click();
    // Non-modal, centred on the screen.
    void showCentred();

signals:
    // The operator asked for the SDP file of stream 11 or 12.
    void sdpRequested(int stream);
    void built();

private:
    std::unique_ptr<Ui::TForm5> ui;
};
