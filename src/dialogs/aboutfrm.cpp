#include "dialogs/aboutfrm.h"

TAboutfrm::TAboutfrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutfrm"));
    setWindowTitle(QStringLiteral("About"));
}
