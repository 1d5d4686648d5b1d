// A flat push button that draws a picture beside its caption, on the left or
// on the right. When disabled it draws the picture greyed and the caption in
// the disabled text colour; when hidden it takes no clicks.
#pragma once

#include <QAbstractButton>
#include <QIcon>

namespace zelvane::ui {

class ImageButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool glyphOnRight READ glyphOnRight WRITE setGlyphOnRight)
    Q_PROPERTY(int glyphSize READ glyphSize WRITE setGlyphSize)

public:
    explicit ImageButton(QWidget *parent = nullptr);

    // The picture; its disabled look is derived by QIcon (greyed).
    void setGlyph(const QIcon &glyph);
    QIcon glyph() const { return glyph_; }

    bool glyphOnRight() const { return glyphOnRight_; }
    void setGlyphOnRight(bool onRight);

    int glyphSize() const { return glyphSize_; }
    void setGlyphSize(int size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QIcon glyph_;
    bool glyphOnRight_ = false;
    int glyphSize_ = 16;
    bool hovered_ = false;
};

} // namespace zelvane::ui
