#pragma once
// The recording configuration dialog: picture size, bit rate, GOP length and frame rate of each
// stream's recording. Its controls are the recording settings; the main window's reading, saving,
// clearing and file handling reach them by name (app/control_map.h). Created once, shown and
// hidden; its widgets are built when it is first shown or reached (build()), and until then the
// main window holds its values.
#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TForm3;
}
class QComboBox;
class QLineEdit;
class QPushButton;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;
    // Builds the widgets, once; built() tells when.
    void build();
    bool isBuilt() const { return ui != nullptr; }
    // The resolution floor that the input selected for stream 11 or 12 sets (0: none).
    void setInputFloor(std::function<int(int stream)> inputFloor) {
        inputFloor_ = std::move(inputFloor);
    }

    // Stream 11 / stream 12.

    // The operator picked a recording resolution: the floor of the stream's selected input
    // applies to this list alone.
    void RecRes1Change();
    void RecRes2Change();
    void BitBtn2Click();
    void FormShow();
    // Non-modal, centred on the screen.
    void showCentred();

    void setVisible(bool visible) override;

signals:
    void built();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyInputFloor(QComboBox* list, int stream);

    std::unique_ptr<Ui::TForm3> ui;
    std::function<int(int)> inputFloor_;
};
