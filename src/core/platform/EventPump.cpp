#include "EventPump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace mojing {

namespace {
// How often a wait re-tests its condition while sleeping in the event loop.
constexpr int kRecheckMs = 10;
} // namespace

void EventPump::pumpOnce() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool EventPump::waitUntil(const std::function<bool()>& done, Millis limit) {
    QDeadlineTimer deadline(limit.count());
    while (!done()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return done();
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(int(std::min<qint64>(left, kRecheckMs)));
        QEventLoop* outer = m_sleeping;
        m_sleeping = &loop;
        loop.exec();
        m_sleeping = outer;
    }
    return true;
}

void EventPump::wake() {
    if (m_sleeping)
        m_sleeping->quit();
}

bool EventPump::sleepFor(Millis duration, const std::function<bool()>& stop) {
    if (!stop) {
        waitUntil([] { return false; }, duration);
        return false;
    }
    return waitUntil(stop, duration);
}

} // namespace mojing
