#pragma once
// The About box: the program's name and version, and the maker's web address, which opens in the
// desktop's web browser when clicked.
#include <QDialog>
#include <QPixmap>
#include <memory>

namespace Ui {
class TAboutfrm;
}
class QLabel;

class TAboutfrm : public QDialog {
    Q_OBJECT
public:
    // The maker's web address, shown by Label3 and opened by a click on it.
    static const QString kMakerAddress;

    explicit TAboutfrm(QWidget* parent = nullptr);
    ~TAboutfrm() override;

    // The version line as the About menu item writes it ("Version 1.0.5.7").
    void setVersionText(const QString& text);
    QString versionText() const;
    // The program's logo, shown in the banner across the top.
    void setLogo(const QPixmap& logo);

    void Label3Click();
    void Label3MouseEnter();
    void Label3MouseLeave();
    void BitBtn1Click();
    void showCentred();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void drawBanner();
    std::unique_ptr<Ui::TAboutfrm> ui;
    QPixmap logo_;
};
