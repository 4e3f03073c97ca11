#include "GuiShell.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
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

bool GuiShell::openWithDefault(const QString& pathOrUrl) {
    const QUrl url = toUrl(pathOrUrl);
    if (!url.isValid() || url.isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
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
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool GuiShell::openInTextEditor(const QString& filePath) {
    if (QProcess::startDetached(u"xdg-open"_s, {filePath}))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}

bool GuiShell::openInBrowser(const QString& url) {
    const QUrl target = toUrl(url);
    if (QDesktopServices::openUrl(target))
        return true;
    // The desktop has no handler registered: try the generic opener.
    return QProcess::startDetached(u"xdg-open"_s, {target.toString()});
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
