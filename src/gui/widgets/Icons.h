#pragma once

#include <QIcon>
#include <QPixmap>

namespace mojing::Icons {

// The program's picture: an ink-blue tile with a white whale, drawn at any size.
QPixmap programPixmap(int size);
// The program icon (several sizes), taken by every window from the start window.
QIcon programIcon();
// The small open-access mark shown next to "只加入含" and in the legend.
QPixmap openAccessPixmap(int size = 14);

} // namespace mojing::Icons
