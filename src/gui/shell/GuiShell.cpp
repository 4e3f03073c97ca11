#include "shell/GuiShell.h"

#include "shell/DesktopApplications.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QSoundEffect>
#include <QUrl>

#ifdef MOJING_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#endif

using namespace Qt::StringLiterals;

namespace mojing {

GuiShell::GuiShell(QObject* parent) : QObject(parent) {}

QUrl GuiShell::toUrl(const QString& pathOrUrl) {
    const QString text = pathOrUrl.trimmed();
    if (text.startsWith(u"file:"_s, Qt::CaseInsensitive))
        return QUrl(text);
    if (QFileInfo(text).isAbsolute() || QFileInfo::exists(text))
        return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    return QUrl::fromUserInput(text);
}

namespace {

// The MIME types that can open a local file or folder, its own type first, then its ancestors.
QStringList typesOf(const QFileInfo& info) {
    if (info.isDir())
        return {u"inode/directory"_s};
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    return QStringList{type.name()} + type.allAncestors();
}

// The types whose default application is the web browser.
QStringList browserTypes(const QUrl& url) {
    QStringList types;
    if (!url.isLocalFile() && !url.scheme().isEmpty())
        types << u"x-scheme-handler/"_s + url.scheme().toLower();
    types << u"x-scheme-handler/http"_s << u"x-scheme-handler/https"_s << u"text/html"_s;
    types.removeDuplicates();
    return types;
}

} // namespace

bool GuiShell::openWithDefault(const QString& pathOrUrl) {
    const QUrl url = toUrl(pathOrUrl);
    if (!url.isValid() || url.isEmpty())
        return false;
    if (QDesktopServices::openUrl(url))
        return true;
    // No generic opener on this desktop: ask its application database directly.
    if (url.isLocalFile())
        return DesktopApplications().open(typesOf(QFileInfo(url.toLocalFile())), url.toLocalFile());
    return DesktopApplications().open({u"x-scheme-handler/"_s + url.scheme().toLower()},
                                      url.toString(QUrl::FullyEncoded));
}

bool GuiShell::showInFolder(const QString& filePath) {
    const QFileInfo info(filePath);
#ifdef MOJING_HAVE_DBUS
    if (info.exists()) {
        QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s,
                                                           u"/org/freedesktop/FileManager1"_s,
                                                           u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
        call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
#endif
    return openWithDefault(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

bool GuiShell::openInTextEditor(const QString& filePath) {
    // The application for plain text, whatever the file's own type says.
    const QString path = QFileInfo(filePath).absoluteFilePath();
    if (DesktopApplications().open({u"text/plain"_s}, path))
        return true;
    return openWithDefault(path);
}

bool GuiShell::openInBrowser(const QString& url) {
    const QUrl target = toUrl(url);
    if (!target.isValid() || target.isEmpty())
        return false;
    // A local file goes to the browser too, not to the application of its own type.
    if (target.isLocalFile())
        return DesktopApplications().open(browserTypes(target), target.toString(QUrl::FullyEncoded)) ||
               openWithDefault(url);
    if (QDesktopServices::openUrl(target))
        return true;
    return DesktopApplications().open(browserTypes(target), target.toString(QUrl::FullyEncoded));
}

void GuiShell::setClipboardText(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

void GuiShell::playSound(const QString& wavPath) {
    if (!QFileInfo::exists(wavPath))
        return;
    // Each sound plays on its own effect, which removes itself when done or when it cannot play
    // (no audio device).
    auto* effect = new QSoundEffect(this);
    connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying() && effect->status() != QSoundEffect::Loading)
            effect->deleteLater();
    });
    connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error)
            effect->deleteLater();
        else if (effect->status() == QSoundEffect::Ready)
            effect->play();
    });
    effect->setSource(QUrl::fromLocalFile(QFileInfo(wavPath).absoluteFilePath()));
}

} // namespace mojing
