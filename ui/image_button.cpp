#include "image_button.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace zelvane::ui {

namespace {
constexpr int kGlyphTextGap = 4;
} // namespace

ImageButton::ImageButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ImageButton::setGlyph(const QIcon &glyph)
{
    glyph_ = glyph;
    update();
}

void ImageButton::setGlyphOnRight(bool onRight)
{
    glyphOnRight_ = onRight;
    update();
}

void ImageButton::setGlyphSize(int size)
{
    glyphSize_ = size;
    updateGeometry();
    update();
}

QSize ImageButton::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return {textWidth + glyphSize_ + kGlyphTextGap + 16, std::max(glyphSize_, fontMetrics().height()) + 12};
}

void ImageButton::enterEvent(QEnterEvent *event)
{
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent *event)
{
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ImageButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool enabled = isEnabled();

    // Flat look: a light frame, a soft fill on hover and a darker one when pressed.
    QColor fill = Qt::white;
    if (enabled && isDown())
        fill = QColor(0xd6, 0xe4, 0xf5);
    else if (enabled && hovered_)
        fill = QColor(0xea, 0xf1, 0xfb);
    painter.setPen(QColor(enabled ? 0xa0a8b4 : 0xd0d0d0));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 3, 3);

    const QString caption = text();
    const QFontMetrics metrics = fontMetrics();
    const int textWidth = metrics.horizontalAdvance(caption);
    const bool hasGlyph = !glyph_.isNull();
    const int contentWidth = textWidth + (hasGlyph ? glyphSize_ + kGlyphTextGap : 0);
    int x = (width() - contentWidth) / 2;
    const int glyphY = (height() - glyphSize_) / 2;

    const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
    auto drawGlyph = [&](int left) {
        glyph_.paint(&painter, QRect(left, glyphY, glyphSize_, glyphSize_), Qt::AlignCenter, mode);
    };
    if (hasGlyph && !glyphOnRight_) {
        drawGlyph(x);
        x += glyphSize_ + kGlyphTextGap;
    }
    painter.setPen(palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(QRect(x, 0, textWidth, height()), Qt::AlignVCenter | Qt::AlignLeft, caption);
    if (hasGlyph && glyphOnRight_)
        drawGlyph(x + textWidth + kGlyphTextGap);

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace zelvane::ui
