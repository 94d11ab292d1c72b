#include "app/logo.h"

#include <QPainter>

QPixmap makeLogo(const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(pixmap.rect()).adjusted(2, 2, -2, -2);
    QRadialGradient gradient(box.center(), box.width() / 2);
    gradient.setColorAt(0, QColor(90, 150, 230));
    gradient.setColorAt(1, QColor(20, 50, 120));
    painter.setBrush(gradient);
    painter.setPen(QPen(QColor(10, 30, 80), 2));
    painter.drawEllipse(box);
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(box.height() * 0.6));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, QStringLiteral("C"));
    return pixmap;
}
