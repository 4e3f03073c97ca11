#pragma once

#include <QObject>
#include <QString>

class QMimeData;

namespace mojing {

class FileDownloadWindow;
class NetworkLayer;

// Puts "添加网址或DOI..." behind a download window: the list menu's entry, Ctrl+V on the list and
// text or links dropped onto it open the dialog, the last two with what they bring in its box.
// The DOI resolver is the window's (the demo platform's under --demo), else the setting
// "DOI解析地址". Lives as a child of the window.
class AddAddressesBinding : public QObject {
    Q_OBJECT
public:
    AddAddressesBinding(FileDownloadWindow& window, NetworkLayer& network);

    // Opens the dialog (modal) with `text` in its box.
    void openDialog(const QString& text = {});
    QString resolverBase() const;

    // The addresses or text that pasted or dropped data brings, one a line.
    static QString textOf(const QMimeData& data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FileDownloadWindow& m_window;
    NetworkLayer& m_network;
};

} // namespace mojing
