#include "image_list.h"

#include <QPixmap>

namespace zelvane::ui {

int ImageList::add(const QIcon &image)
{
    images_.push_back(image);
    return count() - 1;
}

QIcon ImageList::icon(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return images_[static_cast<size_t>(index)];
}

QPixmap ImageList::pixmap(int index, bool disabled) const
{
    return icon(index).pixmap(imageSize_, disabled ? QIcon::Disabled : QIcon::Normal);
}

} // namespace zelvane::ui
