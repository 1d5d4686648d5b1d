// Image buttons draw their picture on the chosen side and greyed when
// disabled; image lists answer their pictures by index.
#include "artwork.h"
#include "image_button.h"
#include "image_list.h"

#include <QtTest>

using zelvane::ui::ImageButton;
using zelvane::ui::ImageList;

namespace {

// Columns that hold strongly coloured pixels (the drawn picture, not text).
std::pair<int, int> colouredColumns(const QImage &image)
{
    int first = image.width(), last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.hsvSaturation() > 120 && c.value() > 60) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    return {first, last};
}

QImage render(ImageButton &button)
{
    button.resize(80, 32);
    return button.grab().toImage();
}

} // namespace

class UiTests : public QObject {
    Q_OBJECT

private slots:
    void glyphOnEitherSide()
    {
        ImageButton button;
        button.setText(QStringLiteral("Далее"));
        button.setGlyph(zelvane::app::PictureIcon(zelvane::app::Picture::Yes));
        const auto left = colouredColumns(render(button));
        QVERIFY(left.second >= 0);
        QVERIFY(left.second < 40);
        button.setGlyphOnRight(true);
        const auto right = colouredColumns(render(button));
        QVERIFY(right.first > 40);
    }

    void disabledGlyphIsGrey()
    {
        ImageButton button;
        button.setText(QStringLiteral("Стоп"));
        button.setGlyph(zelvane::app::PictureIcon(zelvane::app::Picture::No));
        QVERIFY(colouredColumns(render(button)).second >= 0);
        button.setEnabled(false);
        QCOMPARE(colouredColumns(render(button)).second, -1);
    }

    void imageListByIndex()
    {
        ImageList list({16, 16});
        QCOMPARE(list.add(zelvane::app::PictureIcon(zelvane::app::Picture::Yes)), 0);
        QCOMPARE(list.add(zelvane::app::PictureIcon(zelvane::app::Picture::No)), 1);
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.pixmap(1).size(), QSize(16, 16));
        QVERIFY(list.icon(2).isNull());
        QVERIFY(list.icon(-1).isNull());
        QVERIFY(list.pixmap(5).isNull());
    }
};

QTEST_MAIN(UiTests)
#include "app_ui_tests.moc"
