#include "app/widgets.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

namespace {

// What a screen reader meets in a ClickPanel or a ShapeIndicator: a button it can press, named
// by its accessible name or else by the panel's caption, so that a caption the program changes
// is heard as it is now.
class ClickableAccessible : public QAccessibleWidget {
public:
    explicit ClickableAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            if (const auto* label = qobject_cast<const QLabel*>(widget()))
                return label->text();
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action != pressAction())
            return QAccessibleWidget::doAction(action);
        if (auto* panel = qobject_cast<ClickPanel*>(widget()))
            panel->click();
        else if (auto* indicator = qobject_cast<ShapeIndicator*>(widget()))
            indicator->click();
    }
};

QAccessibleInterface* clickableFactory(const QString& className, QObject* object) {
    if (object && object->isWidgetType() &&
        (className == QLatin1String("ClickPanel") || className == QLatin1String("ShapeIndicator")))
        return new ClickableAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

void installClickableAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(clickableFactory);
        return true;
    }();
    (void)installed;
}

// Space, Enter and Return act as a click; held down, they click once.
bool isClickKey(const QKeyEvent* event) {
    if (event->isAutoRepeat() || (event->modifiers() & ~Qt::KeypadModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        return true;
    default:
        return false;
    }
}

void drawFocusFrame(QWidget* w, const QRect& rect) {
    QStylePainter painter(w);
    QStyleOptionFocusRect option;
    option.initFrom(w);
    option.rect = rect;
    option.backgroundColor = w->palette().color(w->backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace

ClickPanel::ClickPanel(QWidget* parent) : QLabel(parent) {
    installClickableAccessibility();
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::StrongFocus);
}

void ClickPanel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    emit clicked();
}

void ClickPanel::keyPressEvent(QKeyEvent* event) {
    if (!isClickKey(event))
        return QLabel::keyPressEvent(event);
    event->accept();
    emit clicked();
}

void ClickPanel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus())
        drawFocusFrame(this, rect().adjusted(3, 3, -3, -3));
}

void ClickPanel::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    update();
}

void ClickPanel::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    update();
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

ShapeIndicator::ShapeIndicator(QWidget* parent) : QWidget(parent) {
    installClickableAccessibility();
    setFocusPolicy(Qt::StrongFocus);
}

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
    const qreal m = kFrameMargin + 0.5;
    painter.drawEllipse(QRectF(rect()).adjusted(m, m, -m, -m));
    painter.end();
    if (hasFocus())
        drawFocusFrame(this, rect());
}

void ShapeIndicator::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    emit clicked();
}

void ShapeIndicator::keyPressEvent(QKeyEvent* event) {
    if (!isClickKey(event))
        return QWidget::keyPressEvent(event);
    event->accept();
    emit clicked();
}

void ShapeIndicator::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void ShapeIndicator::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
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
