#include "dialogs/tform3.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Recording Configuration "));
    setModal(false);
}
