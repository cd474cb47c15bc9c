#include "serial/pump_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

void PumpWait(int milliseconds)
{
    if (!QCoreApplication::instance()) {
        if (milliseconds > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    if (milliseconds <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    // A nested loop sleeps in the event dispatcher while idle. Each call has its own loop and
    // timer, so a handler that runs inside the wait may call PumpWait again; the outer wait then
    // ends once the inner one has returned and its own time is up.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    loop.exec();
}
