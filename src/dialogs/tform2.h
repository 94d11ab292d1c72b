#pragma once
// The UDP configuration dialog: this computer's address, the source port, the board's address
// and port. Its edits are the UDP settings; the link reads them at every connection. Its widgets
// are built when it is first shown or reached (build()); until then it holds the four texts.
#include "core/settings.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TForm2;
}
class QLineEdit;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;
    // Builds the widgets, once, with the texts held until then.
    void build();
    bool isBuilt() const { return ui != nullptr; }
    void setVisible(bool visible) override;

    // Start-up: the three edits from udpf.ini of the folder; a missing file is reported, an
    // unreadable one too, and the edits then keep their built-in values.
    void load(const QString& folder);
    // The UDP link as the edits give it now.
    corvane::settings::UdpEndpointTexts endpoint() const;

    // Where Save writes udpf.ini.
    void setStore(std::function<QString()> appDir);

    void Button1Click();
    void Button2Click();
    void showCentred();

signals:
    // Save wrote udpf.ini and hid the dialog.
    void saved();

private:
    std::unique_ptr<Ui::TForm2> ui;
    // The edits' texts while there are no widgets: none typed yet, the source port 8070 and the
    // board's port 6767.
    corvane::settings::UdpEndpointTexts held_{{}, {}, "8070", "6767"};
    std::function<QString()> appDir_;
};
