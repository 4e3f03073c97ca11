#include "shell/DesktopApplications.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// A desktop in a temporary folder: config, user data and one system data folder.
struct Desktop {
    Desktop() {
        dirs.configHome = tmp.filePath(u"config"_s);
        dirs.configDirs = {tmp.filePath(u"etc"_s)};
        dirs.dataHome = tmp.filePath(u"home"_s);
        dirs.dataDirs = {tmp.filePath(u"usr"_s)};
        dirs.terminal = u"/usr/bin/xterm"_s;
    }
    void write(const QString& relative, const QByteArray& text) {
        const QString path = tmp.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    void app(const QString& id, const QByteArray& exec, const QByteArray& extra = {}) {
        write(u"usr/applications/"_s + id,
              "[Desktop Entry]\nType=Application\nName=App\nIcon=app-icon\nExec=" + exec + "\n" + extra);
    }
    DesktopApplications apps() const { return DesktopApplications(dirs); }

    QTemporaryDir tmp;
    DesktopApplications::Dirs dirs;
};

TEST(DesktopApplications, DefaultsComeFirstThenOtherAssociations) {
    Desktop d;
    for (const char* id : {"editor.desktop", "viewer.desktop", "other.desktop", "gone.desktop"})
        d.app(QString::fromLatin1(id), "x %f");
    QFile::remove(d.tmp.filePath(u"usr/applications/gone.desktop"_s));
    d.app(u"hidden.desktop"_s, "x %f", "Hidden=true\n");
    d.write(u"config/mimeapps.list"_s, "[Default Applications]\ntext/plain=gone.desktop;editor.desktop;\n"
                                       "[Removed Associations]\ntext/plain=other.desktop\n");
    d.write(u"usr/applications/mimeinfo.cache"_s,
            "[MIME Cache]\ntext/plain=viewer.desktop;other.desktop;hidden.desktop;editor.desktop;\n"
            "application/pdf=viewer.desktop;\n");
    EXPECT_EQ(d.apps().applicationsFor(u"text/plain"_s),
              (QStringList{u"editor.desktop"_s, u"viewer.desktop"_s}));
    EXPECT_EQ(d.apps().applicationsFor(u"application/pdf"_s), QStringList{u"viewer.desktop"_s});
    EXPECT_TRUE(d.apps().applicationsFor(u"image/png"_s).isEmpty());

    // A user default overrides the system one; vendor prefixes may be folders.
    d.write(u"usr/applications/mimeapps.list"_s, "[Default Applications]\napplication/pdf=viewer.desktop\n");
    d.write(u"home/applications/kde-reader.desktop"_s, "[Desktop Entry]\nExec=reader %u\n");
    d.write(u"home/applications/mimeapps.list"_s,
            "[Default Applications]\napplication/pdf=kde-reader.desktop\n");
    EXPECT_EQ(d.apps().applicationsFor(u"application/pdf"_s).first(), u"kde-reader.desktop"_s);
    QFile::remove(d.tmp.filePath(u"home/applications/kde-reader.desktop"_s));
    d.write(u"home/applications/kde/reader.desktop"_s, "[Desktop Entry]\nExec=reader %u\n");
    EXPECT_EQ(d.apps().desktopFile(u"kde-reader.desktop"_s),
              d.tmp.filePath(u"home/applications/kde/reader.desktop"_s));
}

TEST(DesktopApplications, ExecLines) {
    const QString file = u"/data/out/第一 篇.pdf"_s;
    const QString url = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    struct Case {
        const char* name;
        QByteArray exec;
        QByteArray extra;
        QString terminal;
        QStringList expected;
    };
    const Case cases[] = {
        {"file list", "editor %F", {}, {}, {u"editor"_s, file}},
        {"address list with an option",
         "editor --new-window %U",
         {},
         {},
         {u"editor"_s, u"--new-window"_s, url}},
        {"quoted program with a blank", "\"/opt/my app/ed\" %f", {}, {}, {u"/opt/my app/ed"_s, file}},
        {"escapes inside quotes",
         "sh -c \"echo \\\"$1\\\"\" %f",
         {},
         {},
         {u"sh"_s, u"-c"_s, u"echo \"$1\""_s, file}},
        {"no field code: the file is appended", "ed", {}, {}, {u"ed"_s, file}},
        {"icon, name and percent",
         "ed %i --title=%c 100%% %f",
         {},
         {},
         {u"ed"_s, u"--icon"_s, u"app-icon"_s, u"--title=App"_s, u"100%"_s, file}},
        {"code inside a word, deprecated codes vanish",
         "ed %d --file=%f",
         {},
         {},
         {u"ed"_s, u"--file="_s + file}},
        {"terminal application",
         "vim %F",
         "Terminal=true\n",
         u"/usr/bin/xterm"_s,
         {u"/usr/bin/xterm"_s, u"-e"_s, u"vim"_s, file}},
        {"terminal application without a terminal", "vim %F", "Terminal=true\n", {}, {}},
        {"no Exec", "", {}, {}, {}},
    };
    for (const Case& c : cases) {
        Desktop d;
        d.dirs.terminal = c.terminal;
        d.app(u"a.desktop"_s, c.exec, c.extra);
        EXPECT_EQ(d.apps().commandFor(d.apps().desktopFile(u"a.desktop"_s), file), c.expected) << c.name;
    }
    Desktop d;
    d.app(u"browser.desktop"_s, "browser %u");
    EXPECT_EQ(d.apps().commandFor(d.apps().desktopFile(u"browser.desktop"_s), u"https://x/a b"_s),
              (QStringList{u"browser"_s, u"https://x/a b"_s}))
        << "an address is passed as it is";
}

} // namespace
