#include "app/widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

ClickPanel::ClickPanel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ClickPanel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    emit clicked();
}

CaptionGroupBox::CaptionGroupBox(QWidget* parent) : QGroupBox(parent) {}

void CaptionGroupBox::setCaptionLook(const QColor& colour, int pointSize) {
    captionColour_ = colour;
    captionPointSize_ = pointSize;
    update();
}

QFont CaptionGroupBox::captionFont() const {
    QFont f = font();
    if (captionPointSize_ > 0)
        f.setPointSize(captionPointSize_);
    return f;
}

// Paints as QGroupBox does, with the caption's font and colour in the style option only.
void CaptionGroupBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QFont caption = captionFont();
    painter.setFont(caption);
    option.fontMetrics = QFontMetrics(caption);
    if (captionColour_.isValid()) {
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            option.palette.setColor(group, QPalette::WindowText, captionColour_);
            option.palette.setColor(group, QPalette::ButtonText, captionColour_);
        }
    }
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

ShapeIndicator::ShapeIndicator(QWidget* parent) : QWidget(parent) {}

void ShapeIndicator::setFillColor(const QColor& colour) {
    if (colour == fill_)
        return;
    fill_ = colour;
    update();
}

void ShapeIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Disabled (while a sequence runs), it is drawn faded, as disabled controls are.
    const bool enabled = isEnabled();
    QColor fill = fill_;
    if (!enabled)
        fill.setAlpha(96);
    painter.setPen(QPen(enabled ? QColor(Qt::black)
                                : palette().color(QPalette::Disabled, QPalette::WindowText),
                        1));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void ShapeIndicator::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    emit clicked();
}

CachedLabel::CachedLabel(QWidget* parent) : QLabel(parent) {}

bool CachedLabel::cacheable() const {
    return textFormat() == Qt::PlainText && autoFillBackground() &&
           palette().brush(backgroundRole()).isOpaque();
}

CachedLabel::Key CachedLabel::key() const {
    return {text(), size(), devicePixelRatioF(), static_cast<int>(alignment()), indent(), margin()};
}

// The picture is made by the label's own painting, which cannot run inside a paint event: a paint
// that finds no picture for what is shown now paints the QLabel way and has one made right after.
void CachedLabel::paintEvent(QPaintEvent* event) {
    if (drawingPicture_ || !cacheable() || picture_.isNull() || !(key() == pictureKey_)) {
        QLabel::paintEvent(event);
        if (!drawingPicture_ && cacheable() && !pictureQueued_) {
            pictureQueued_ = true;
            QMetaObject::invokeMethod(this, &CachedLabel::makePicture, Qt::QueuedConnection);
        }
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void CachedLabel::makePicture() {
    pictureQueued_ = false;
    if (!cacheable())
        return;
    const Key now = key();
    QPixmap picture(now.size * now.ratio);
    picture.setDevicePixelRatio(now.ratio);
    drawingPicture_ = true;
    render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    drawingPicture_ = false;
    picture_ = picture;
    pictureKey_ = now;
}

// Fonts, palettes, the style, the enabled and active states all arrive here.
void CachedLabel::changeEvent(QEvent* event) {
    picture_ = QPixmap();
    QLabel::changeEvent(event);
}
