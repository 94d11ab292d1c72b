#include "dialogs/tform5.h"

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("RTP Configuration"));
    setModal(false);
}
