#pragma once
#include <QPixmap>

// The program's logo, drawn rather than shipped: a blue lens with the letter C.
QPixmap makeLogo(const QSize& size);
