// The wizard's pictures: the desktop icon theme's icon where it has a fitting
// one, otherwise our own pictures drawn here.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace zelvane::app {

enum class Picture {
    // Button glyphs.
    Next,
    StartOver,
    Help,
    Stop,
    Done,
    // Task icons, in task order.
    TaskNewDisc,
    TaskContinueDisc,
    TaskEraseDisc,
    TaskMakeImage,
    TaskBurnImage,
    TaskDiscInfo,
    // Marks of the capability grid.
    Yes,
    No,
    // The program's icon.
    Application,
    // The sessions page: its tree's pictures, in the order of their image
    // indexes, and the glyph of its extract button.
    SessionClosed,
    SessionOpen,
    FolderClosed,
    FolderOpen,
    File,
    MessageLine,
    Extract,
};

QIcon PictureIcon(Picture picture);

// The picture along the left edge of the task page.
QPixmap TaskPageBanner(QSize size);
// The strip that marks the selected task panel.
QPixmap SelectionHighlight(QSize size);

} // namespace zelvane::app
