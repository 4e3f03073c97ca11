// Writes the program icon as PNG files for the desktop's icon theme, drawn by the same code
// as the windows' icon:  mojing_icon_export FOLDER SIZE...  writes FOLDER/SIZExSIZE.png.
#include "widgets/Icons.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        fprintf(stderr, "usage: mojing_icon_export FOLDER SIZE...\n");
        return 2;
    }
    const QDir folder(args[1]);
    if (!folder.mkpath(u"."_s))
        return 1;
    for (const QString& text : args.mid(2)) {
        const int size = text.toInt();
        const QString path = folder.filePath(u"%1x%1.png"_s.arg(size));
        if (size <= 0 || !mojing::Icons::programPixmap(size).save(path, "PNG")) {
            fprintf(stderr, "mojing_icon_export: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
