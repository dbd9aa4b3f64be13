#pragma once

#include <QPixmap>

namespace Widgets {

// The About box's icon and picture, drawn here rather than shipped as image files: a
// substation-style emblem and a banner with a single-line diagram beneath the title.
QPixmap DrawAboutLogo();
// At the size of the box it fills; the default is the registered bitmap's.
QPixmap DrawAboutBanner(QSize size = QSize(520, 130));

}  // namespace Widgets
