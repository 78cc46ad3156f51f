// The compiled-in pictures (wizard pictures and result marks) and the two
// ways the wizard prepares them. UI thread only.
#pragma once
#include <QColor>
#include <QImage>

namespace nubo {

// The bitmap with this id; a null image when there is none.
QImage LoadPicture(int id);
// A canvas of the given size in the window background colour with the picture
// copied unscaled at (x, y). The source is not changed.
QImage ComposeBitmap(const QImage& picture, int width, int height, int x, int y,
                     const QColor& background);
// Pure white becomes `face`, so a mark's background merges with the list's.
QImage MapWhite(const QImage& picture, const QColor& face);

}  // namespace nubo
