// A list of small pictures of one size, indexed from 0, for tree views and
// other item views.
#pragma once

#include <QIcon>
#include <QSize>
#include <vector>

namespace zelvane::ui {

class ImageList {
public:
    explicit ImageList(QSize imageSize = {16, 16}) : imageSize_(imageSize) {}

    // Appends a picture and answers its index.
    int add(const QIcon &image);
    int count() const { return static_cast<int>(images_.size()); }
    QSize imageSize() const { return imageSize_; }

    // The picture at index; an empty icon for an index out of range.
    QIcon icon(int index) const;
    // The picture drawn at the list's size; greyed when disabled is true.
    QPixmap pixmap(int index, bool disabled = false) const;

private:
    QSize imageSize_;
    std::vector<QIcon> images_;
};

} // namespace zelvane::ui
