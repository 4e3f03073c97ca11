#pragma once

#include <QIcon>

namespace mojing {

// The four small pictures of a download row's state (1 waiting, 2 downloading, 3 finished,
// 4 failed), drawn by the program so that they need no image files.
class DownloadStateIcons {
public:
    static QIcon icon(int state);
    static QPixmap pixmap(int state, int size = 14);
};

} // namespace mojing
