#include "dialogs/tform4.h"

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Board Configuration"));
    setModal(false);
}
