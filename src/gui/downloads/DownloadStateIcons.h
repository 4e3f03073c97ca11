#pragma once

#include "downloads/DownloadListModel.h"

#include <QIcon>

namespace mojing {

// The small pictures in front of download rows, drawn by the program so that they need no image
// files: 1 waiting (a clock), 2 downloading (an arrow), 3 a finished file (a green tick),
// 4 failed (a red cross), 5 a finished web page (a page) and 6 a server's error page (a warning
// triangle); the numbers are those of RowIcon.
class DownloadStateIcons {
public:
    static QIcon icon(RowIcon kind);
    static QIcon icon(int kind);
    static QPixmap pixmap(int kind, int size = 14);
};

} // namespace mojing
