#pragma once
// The board dialog: which board the program drives (full or small) and, for the small board, the
// module fitted in each channel; Save stores the choice in brdf.ini and applies it.
#include <QDialog>
#include <memory>

namespace Ui {
class TForm4;
}
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // Ticks the full board's box (CorS) or the small board's (LumoS); their handlers run as for
    // the operator's click.
    void setFullBoard(bool full);
    // Selected position of a module group (0 HD SDI, 1 Analog, 2 HDMI, 3 None), -1 for none.
    int C11GIndex() const;
    int C12GIndex() const;
    void setC11GIndex(int index);
    void setC12GIndex(int index);

    void CorSClick(bool checked);
    void LumoSClick(bool checked);
    void BitBtn1Click();
    void BitBtn2Click();
    void AOADClick();
    // The answer to the detection request: the caption back, the groups shown again.
    void assemblyAnswered();
    void showCentred();

signals:
    // The boxes chose the full board (true) or the small one, at once, before any Save.
    void fullBoardChosen(bool full);
    // Save with the groups' positions (-1: none); whoever stores it hides the dialog.
    void saveRequested(int c11gIndex, int c12gIndex);
    // The operator asked the board which modules are fitted.
    void assemblyRequested();

private:
    void showSmallControls(bool visible, bool withButton);
    void setFull(bool full);

    std::unique_ptr<Ui::TForm4> ui;
    QButtonGroup* c11_;
    QButtonGroup* c12_;
};
