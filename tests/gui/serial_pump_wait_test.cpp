#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <ctime>

#include "serial/pump_wait.h"

class PumpWaitTest : public QObject
{
    Q_OBJECT

private slots:
    void dispatchesTimersAndQueuedCallsDuringTheWait()
    {
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(10);
        QPushButton button("Stop");
        bool clicked = false;
        connect(&button, &QPushButton::clicked, [&] { clicked = true; });
        QMetaObject::invokeMethod(&button, &QPushButton::click, Qt::QueuedConnection);

        QElapsedTimer clock;
        clock.start();
        PumpWait(200);
        const qint64 elapsed = clock.elapsed();
        timer.stop();

        QVERIFY(clicked);
        QVERIFY2(ticks >= 3, qPrintable(QString("ticks %1").arg(ticks)));
        QVERIFY2(elapsed >= 190, qPrintable(QString("returned after %1 ms").arg(elapsed)));
        QVERIFY2(elapsed < 5000, qPrintable(QString("returned after %1 ms").arg(elapsed)));
    }

    void nestedWaitsBothComplete()
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
    }

    void idleWaitSleeps()
    {
        const std::clock_t cpuStart = std::clock();
        PumpWait(300);
        const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        // A busy loop would burn the whole 300 ms.
        QVERIFY2(cpuMs < 150.0, qPrintable(QString("used %1 ms of processor time").arg(cpuMs)));
    }

    void zeroWaitStillDispatches()
    {
        bool called = false;
        QMetaObject::invokeMethod(this, [&] { called = true; }, Qt::QueuedConnection);
        PumpWait(0);
        QVERIFY(called);
        PumpWait(-5);
    }
};

QTEST_MAIN(PumpWaitTest)
#include "serial_pump_wait_test.moc"
