#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace mojing {

// Runs `act` on the next modal dialog of type T once it is shown: each try that finds none
// schedules a copy of itself (a try that held on to itself would never be freed).
//
//   onNextDialog<SaveFolderDialog>([](SaveFolderDialog& d) { d.confirm(); });
//   window.button(u"Command2"_s)->click(); // opens the dialog
template <typename T> struct NextDialog {
    std::function<void(T&)> act;
    void operator()() const {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(*dialog);
            return;
        }
        QTimer::singleShot(5, *this);
    }
};

template <typename T> void onNextDialog(std::function<void(T&)> act) {
    QTimer::singleShot(0, NextDialog<T>{std::move(act)});
}

} // namespace mojing
