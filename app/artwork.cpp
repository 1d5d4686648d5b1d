#include "artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace zelvane::app {

namespace {

const QColor kAccent(0x2a, 0x6f, 0xc9);
const QColor kAccentDark(0x1d, 0x4f, 0x91);
const QColor kGreen(0x2e, 0x9e, 0x44);
const QColor kRed(0xd0, 0x3a, 0x32);
const QColor kOrange(0xe8, 0x8a, 0x1a);

using Painter = void (*)(QPainter &, double size);

// A disc seen from above: silver surface with a soft rainbow sheen and a hole.
void drawDisc(QPainter &p, QPointF centre, double radius)
{
    QRadialGradient surface(centre, radius);
    surface.setColorAt(0.0, QColor(0xf4, 0xf6, 0xf9));
    surface.setColorAt(0.55, QColor(0xd9, 0xde, 0xe6));
    surface.setColorAt(0.75, QColor(0xe6, 0xdc, 0xf2));
    surface.setColorAt(0.88, QColor(0xd3, 0xe9, 0xf3));
    surface.setColorAt(1.0, QColor(0xb5, 0xbd, 0xc9));
    p.setPen(QPen(QColor(0x80, 0x89, 0x96), std::max(1.0, radius / 12)));
    p.setBrush(surface);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(QColor(0xa8, 0xb0, 0xbc), std::max(0.8, radius / 16)));
    p.setBrush(QColor(0xee, 0xf0, 0xf3));
    p.drawEllipse(centre, radius * 0.34, radius * 0.34);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, radius * 0.14, radius * 0.14);
}

// A small round badge in the lower right corner with a symbol drawn by fn.
template <typename Symbol>
void drawBadge(QPainter &p, double size, const QColor &colour, Symbol symbol)
{
    const double r = size * 0.24;
    const QPointF c(size - r - 0.5, size - r - 0.5);
    p.setPen(QPen(Qt::white, size / 16));
    p.setBrush(colour);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(Qt::white, size / 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    symbol(c, r * 0.55);
}

void drawArrowRight(QPainter &p, double s)
{
    QPainterPath arrow;
    arrow.moveTo(s * 0.18, s * 0.40);
    arrow.lineTo(s * 0.52, s * 0.40);
    arrow.lineTo(s * 0.52, s * 0.20);
    arrow.lineTo(s * 0.86, s * 0.50);
    arrow.lineTo(s * 0.52, s * 0.80);
    arrow.lineTo(s * 0.52, s * 0.60);
    arrow.lineTo(s * 0.18, s * 0.60);
    arrow.closeSubpath();
    p.setPen(QPen(kAccentDark, s / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kAccent);
    p.drawPath(arrow);
}

void drawHome(QPainter &p, double s)
{
    QPainterPath house;
    house.moveTo(s * 0.50, s * 0.12);
    house.lineTo(s * 0.90, s * 0.50);
    house.lineTo(s * 0.78, s * 0.50);
    house.lineTo(s * 0.78, s * 0.88);
    house.lineTo(s * 0.22, s * 0.88);
    house.lineTo(s * 0.22, s * 0.50);
    house.lineTo(s * 0.10, s * 0.50);
    house.closeSubpath();
    p.setPen(QPen(kAccentDark, s / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kAccent);
    p.drawPath(house);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(s * 0.42, s * 0.62, s * 0.16, s * 0.26));
}

void drawHelp(QPainter &p, double s)
{
    p.setPen(QPen(kAccentDark, s / 16));
    p.setBrush(kAccent);
    p.drawEllipse(QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(s * 0.62));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, s, s * 1.02), Qt::AlignCenter, QStringLiteral("?"));
}

void drawStop(QPainter &p, double s)
{
    QPainterPath octagon;
    const double a = s * 0.10, b = s * 0.36, c = s * 0.64, d = s * 0.90;
    octagon.moveTo(b, a);
    octagon.lineTo(c, a);
    octagon.lineTo(d, b);
    octagon.lineTo(d, c);
    octagon.lineTo(c, d);
    octagon.lineTo(b, d);
    octagon.lineTo(a, c);
    octagon.lineTo(a, b);
    octagon.closeSubpath();
    p.setPen(QPen(kRed.darker(130), s / 16));
    p.setBrush(kRed);
    p.drawPath(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(s * 0.34, s * 0.34, s * 0.32, s * 0.32));
}

void drawCheck(QPainter &p, double s, const QColor &colour)
{
    QPainterPath tick;
    tick.moveTo(s * 0.16, s * 0.52);
    tick.lineTo(s * 0.40, s * 0.76);
    tick.lineTo(s * 0.86, s * 0.24);
    p.setPen(QPen(colour, s * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void drawDone(QPainter &p, double s)
{
    drawCheck(p, s, kGreen);
}

void drawCross(QPainter &p, double s)
{
    p.setPen(QPen(kRed, s * 0.16, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.24, s * 0.24), QPointF(s * 0.76, s * 0.76));
    p.drawLine(QPointF(s * 0.76, s * 0.24), QPointF(s * 0.24, s * 0.76));
}

void drawTaskNewDisc(QPainter &p, double s)
{
    drawDisc(p, QPointF(s * 0.44, s * 0.44), s * 0.40);
    drawBadge(p, s, kGreen, [&](QPointF c, double r) {
        p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
    });
}

void drawTaskContinueDisc(QPainter &p, double s)
{
    drawDisc(p, QPointF(s * 0.44, s * 0.44), s * 0.40);
    drawBadge(p, s, kAccent, [&](QPointF c, double r) {
        p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r * 0.6, c.y()));
        p.drawLine(QPointF(c.x() + r * 0.1, c.y() - r * 0.6), QPointF(c.x() + r * 0.7, c.y()));
        p.drawLine(QPointF(c.x() + r * 0.1, c.y() + r * 0.6), QPointF(c.x() + r * 0.7, c.y()));
    });
}

void drawTaskEraseDisc(QPainter &p, double s)
{
    drawDisc(p, QPointF(s * 0.44, s * 0.44), s * 0.40);
    drawBadge(p, s, kRed, [&](QPointF c, double r) {
        p.drawLine(QPointF(c.x() - r * 0.7, c.y() - r * 0.7), QPointF(c.x() + r * 0.7, c.y() + r * 0.7));
        p.drawLine(QPointF(c.x() + r * 0.7, c.y() - r * 0.7), QPointF(c.x() - r * 0.7, c.y() + r * 0.7));
    });
}

// A sheet of paper with a folded corner and a small disc on it: an image file.
void drawImageFile(QPainter &p, double s)
{
    QPainterPath sheet;
    sheet.moveTo(s * 0.16, s * 0.06);
    sheet.lineTo(s * 0.60, s * 0.06);
    sheet.lineTo(s * 0.82, s * 0.28);
    sheet.lineTo(s * 0.82, s * 0.94);
    sheet.lineTo(s * 0.16, s * 0.94);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x80, 0x89, 0x96), s / 20));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(0xdd, 0xe2, 0xea));
    QPainterPath corner;
    corner.moveTo(s * 0.60, s * 0.06);
    corner.lineTo(s * 0.60, s * 0.28);
    corner.lineTo(s * 0.82, s * 0.28);
    corner.closeSubpath();
    p.drawPath(corner);
    drawDisc(p, QPointF(s * 0.49, s * 0.60), s * 0.22);
}

void drawTaskMakeImage(QPainter &p, double s)
{
    drawImageFile(p, s);
    drawBadge(p, s, kOrange, [&](QPointF c, double r) {
        p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r * 0.7));
        p.drawLine(QPointF(c.x() - r * 0.6, c.y() + r * 0.1), QPointF(c.x(), c.y() + r * 0.7));
        p.drawLine(QPointF(c.x() + r * 0.6, c.y() + r * 0.1), QPointF(c.x(), c.y() + r * 0.7));
    });
}

void drawTaskBurnImage(QPainter &p, double s)
{
    drawImageFile(p, s);
    drawBadge(p, s, kRed, [&](QPointF c, double r) {
        p.setBrush(Qt::white);
        p.drawEllipse(c, r * 0.45, r * 0.45);
    });
}

void drawTaskDiscInfo(QPainter &p, double s)
{
    drawDisc(p, QPointF(s * 0.44, s * 0.44), s * 0.40);
    drawBadge(p, s, kAccent, [&](QPointF c, double r) {
        p.drawLine(QPointF(c.x(), c.y() - r * 0.15), QPointF(c.x(), c.y() + r * 0.8));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(c.x(), c.y() - r * 0.7), r * 0.08, r * 0.08);
    });
}

void drawYes(QPainter &p, double s)
{
    drawCheck(p, s, kGreen);
}

void drawNo(QPainter &p, double s)
{
    drawCross(p, s);
}

void drawApplication(QPainter &p, double s)
{
    drawDisc(p, QPointF(s * 0.5, s * 0.5), s * 0.46);
    // A small turtle-green flame of a writing laser.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x9e, 0x44, 200));
    QPainterPath arc;
    arc.arcMoveTo(QRectF(s * 0.14, s * 0.14, s * 0.72, s * 0.72), 20);
    arc.arcTo(QRectF(s * 0.14, s * 0.14, s * 0.72, s * 0.72), 20, 100);
    arc.arcTo(QRectF(s * 0.26, s * 0.26, s * 0.48, s * 0.48), 120, -100);
    arc.closeSubpath();
    p.drawPath(arc);
}

// A disc of the sessions tree; an open session carries a small blue badge.
void drawSessionClosed(QPainter &p, double s)
{
    drawDisc(p, QPointF(s * 0.5, s * 0.5), s * 0.44);
}

void drawSessionOpen(QPainter &p, double s)
{
    drawDisc(p, QPointF(s * 0.44, s * 0.44), s * 0.40);
    drawBadge(p, s, kAccent, [&](QPointF c, double r) {
        p.drawLine(QPointF(c.x() - r, c.y() - r * 0.3), QPointF(c.x(), c.y() + r * 0.6));
        p.drawLine(QPointF(c.x(), c.y() + r * 0.6), QPointF(c.x() + r, c.y() - r * 0.3));
    });
}

// A manila folder; open, its front leaf falls forward.
void drawFolder(QPainter &p, double s, bool open)
{
    const QColor back(0xe0, 0xa8, 0x3c), front(0xf6, 0xcb, 0x6a), edge(0xa8, 0x74, 0x1c);
    p.setPen(QPen(edge, s / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(back);
    QPainterPath rear;
    rear.moveTo(s * 0.06, s * 0.84);
    rear.lineTo(s * 0.06, s * 0.18);
    rear.lineTo(s * 0.38, s * 0.18);
    rear.lineTo(s * 0.46, s * 0.28);
    rear.lineTo(s * 0.94, s * 0.28);
    rear.lineTo(s * 0.94, s * 0.84);
    rear.closeSubpath();
    p.drawPath(rear);
    p.setBrush(front);
    QPainterPath leaf;
    if (open) {
        leaf.moveTo(s * 0.06, s * 0.84);
        leaf.lineTo(s * 0.22, s * 0.44);
        leaf.lineTo(s * 0.98, s * 0.44);
        leaf.lineTo(s * 0.86, s * 0.84);
    } else {
        leaf.moveTo(s * 0.06, s * 0.84);
        leaf.lineTo(s * 0.06, s * 0.38);
        leaf.lineTo(s * 0.94, s * 0.38);
        leaf.lineTo(s * 0.94, s * 0.84);
    }
    leaf.closeSubpath();
    p.drawPath(leaf);
}

void drawFolderClosed(QPainter &p, double s)
{
    drawFolder(p, s, false);
}

void drawFolderOpen(QPainter &p, double s)
{
    drawFolder(p, s, true);
}

// A sheet of paper with a folded corner and a few lines of text.
void drawFile(QPainter &p, double s)
{
    QPainterPath sheet;
    sheet.moveTo(s * 0.18, s * 0.06);
    sheet.lineTo(s * 0.60, s * 0.06);
    sheet.lineTo(s * 0.82, s * 0.28);
    sheet.lineTo(s * 0.82, s * 0.94);
    sheet.lineTo(s * 0.18, s * 0.94);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x80, 0x89, 0x96), s / 16, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setPen(QPen(QColor(0xa8, 0xb0, 0xbc), s / 16));
    for (double y : {0.44, 0.58, 0.72})
        p.drawLine(QPointF(s * 0.30, s * y), QPointF(s * 0.70, s * y));
}

// A yellow warning triangle: a line of the tree that is a message.
void drawMessageLine(QPainter &p, double s)
{
    QPainterPath triangle;
    triangle.moveTo(s * 0.50, s * 0.08);
    triangle.lineTo(s * 0.94, s * 0.88);
    triangle.lineTo(s * 0.06, s * 0.88);
    triangle.closeSubpath();
    p.setPen(QPen(kOrange.darker(130), s / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xf7, 0xc8, 0x3c));
    p.drawPath(triangle);
    p.setPen(QPen(QColor(0x40, 0x30, 0x10), s * 0.11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.50, s * 0.36), QPointF(s * 0.50, s * 0.60));
    p.drawPoint(QPointF(s * 0.50, s * 0.75));
}

// An arrow going down out of a disc: copy from the disc.
void drawExtract(QPainter &p, double s)
{
    drawDisc(p, QPointF(s * 0.36, s * 0.36), s * 0.32);
    QPainterPath arrow;
    arrow.moveTo(s * 0.66, s * 0.38);
    arrow.lineTo(s * 0.82, s * 0.38);
    arrow.lineTo(s * 0.82, s * 0.64);
    arrow.lineTo(s * 0.96, s * 0.64);
    arrow.lineTo(s * 0.74, s * 0.94);
    arrow.lineTo(s * 0.52, s * 0.64);
    arrow.lineTo(s * 0.66, s * 0.64);
    arrow.closeSubpath();
    p.setPen(QPen(kGreen.darker(130), s / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kGreen);
    p.drawPath(arrow);
}

struct PictureSource {
    const char *themeName; // nullptr: always our own picture
    Painter paint;
};

PictureSource sourceOf(Picture picture)
{
    switch (picture) {
    case Picture::Next: return {"go-next", drawArrowRight};
    case Picture::StartOver: return {"go-home", drawHome};
    case Picture::Help: return {"help-browser", drawHelp};
    case Picture::Stop: return {"process-stop", drawStop};
    case Picture::Done: return {"dialog-ok", drawDone};
    case Picture::TaskNewDisc: return {nullptr, drawTaskNewDisc};
    case Picture::TaskContinueDisc: return {nullptr, drawTaskContinueDisc};
    case Picture::TaskEraseDisc: return {nullptr, drawTaskEraseDisc};
    case Picture::TaskMakeImage: return {nullptr, drawTaskMakeImage};
    case Picture::TaskBurnImage: return {nullptr, drawTaskBurnImage};
    case Picture::TaskDiscInfo: return {nullptr, drawTaskDiscInfo};
    case Picture::Yes: return {nullptr, drawYes};
    case Picture::No: return {nullptr, drawNo};
    case Picture::Application: return {nullptr, drawApplication};
    case Picture::SessionClosed: return {nullptr, drawSessionClosed};
    case Picture::SessionOpen: return {nullptr, drawSessionOpen};
    case Picture::FolderClosed: return {"folder", drawFolderClosed};
    case Picture::FolderOpen: return {"folder-open", drawFolderOpen};
    case Picture::File: return {"text-x-generic", drawFile};
    case Picture::MessageLine: return {"dialog-warning", drawMessageLine};
    case Picture::Extract: return {nullptr, drawExtract};
    }
    return {nullptr, drawHelp};
}

QPixmap render(Painter paint, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, size);
    return pixmap;
}

QIcon drawnIcon(Painter paint)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(render(paint, size));
    return icon;
}

} // namespace

QIcon PictureIcon(Picture picture)
{
    const PictureSource source = sourceOf(picture);
    const QIcon drawn = drawnIcon(source.paint);
    if (source.themeName == nullptr)
        return drawn;
    return QIcon::fromTheme(QString::fromLatin1(source.themeName), drawn);
}

QPixmap TaskPageBanner(QSize size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0.0, QColor(0x2a, 0x6f, 0xc9));
    sky.setColorAt(1.0, QColor(0x12, 0x36, 0x6b));
    p.fillRect(pixmap.rect(), sky);
    // Two discs, one behind the other, with a light ring of reflections.
    const double w = size.width(), h = size.height();
    drawDisc(p, QPointF(w * 0.40, h * 0.42), std::min(w, h) * 0.30);
    drawDisc(p, QPointF(w * 0.64, h * 0.60), std::min(w, h) * 0.30);
    p.setPen(QPen(QColor(255, 255, 255, 40), 2));
    p.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 4; ++ring)
        p.drawEllipse(QPointF(w * 0.64, h * 0.60), std::min(w, h) * (0.30 + 0.07 * ring),
                      std::min(w, h) * (0.30 + 0.07 * ring));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(26);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(16, h - 52, w - 32, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Zelvane"));
    return pixmap;
}

QPixmap SelectionHighlight(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    QLinearGradient fade(0, 0, size.width(), 0);
    fade.setColorAt(0.0, QColor(0xc0, 0xc0, 0xc0, 0));
    fade.setColorAt(1.0, QColor(0xe4, 0xec, 0xf7));
    p.fillRect(pixmap.rect(), fade);
    return pixmap;
}

} // namespace zelvane::app
