#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

#include "serial/pump_wait.h"

namespace {

// Processor time used by this process so far; std::clock counts wall time on Windows.
double CpuMs()
{
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](FILETIME t) { return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
#else
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

}  // namespace

class PumpWaitTest : public QObject
{
    Q_OBJECT

private slots:
    void dispatchesTimersAndQueuedCallsAndSleepsMeanwhile()
    {
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(10);
        bool called = false;
        QMetaObject::invokeMethod(this, [&] { called = true; }, Qt::QueuedConnection);

        const double cpuStart = CpuMs();
        QElapsedTimer clock;
        clock.start();
        PumpWait(300);
        const qint64 elapsed = clock.elapsed();
        const double cpuMs = CpuMs() - cpuStart;
        timer.stop();

        QVERIFY(called);
        QVERIFY2(ticks >= 3, qPrintable(QString("ticks %1").arg(ticks)));
        QVERIFY2(elapsed >= 290 && elapsed < 5000, qPrintable(QString("returned after %1 ms").arg(elapsed)));
        // A busy loop would burn the whole wait.
        QVERIFY2(cpuMs < 150.0, qPrintable(QString("used %1 ms of processor time").arg(cpuMs)));
    }

    void nestedAndZeroWaits()
    {
        bool innerDone = false;
        QTimer::singleShot(10, [&] {
            PumpWait(50);
            innerDone = true;
        });
        QElapsedTimer clock;
        clock.start();
        PumpWait(100);
        QVERIFY(innerDone);
        QVERIFY(clock.elapsed() >= 95);

        bool called = false;
        QMetaObject::invokeMethod(this, [&] { called = true; }, Qt::QueuedConnection);
        PumpWait(0);
        QVERIFY(called);
        PumpWait(-5);
    }
};

QTEST_MAIN(PumpWaitTest)
#include "serial_pump_wait_test.moc"
