// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' worker: reports and the result on the window's thread, in
// the order they were made; dropped reports; a window that goes first.
#include "windows/BackgroundWork.h"

#include <QList>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <memory>

using namespace vamo;

class BackgroundWorkTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reportsThenTheResultArriveOnTheWindowsThread()
    {
        QObject window;
        auto* work = new BackgroundWork(&window);
        QThread* const ui = QThread::currentThread();
        QList<int> seen;
        bool allHere = true;
        int result = 0;
        QThread* worker = nullptr;
        QSemaphore go;

        QVERIFY(work->start<int>(
            [&](BackgroundWork::Reporter& reporter) {
                go.acquire();
                worker = QThread::currentThread();
                for (int i = 1; i <= 5; ++i)
                    reporter.report(
                        [&, i] {
                            allHere = allHere && QThread::currentThread() == ui;
                            seen << i;
                        },
                        true);
                return 42;
            },
            [&](int r) {
                allHere = allHere && QThread::currentThread() == ui;
                // Every report came before the result.
                QCOMPARE(seen.size(), 5);
                result = r;
            }));
        QVERIFY(work->running());
        // A second job waits for the first to end.
        QVERIFY(!work->start<int>([](BackgroundWork::Reporter&) { return 1; }, [&](int r) { result = r; }));
        go.release();
        QTRY_VERIFY(!work->running());
        QCOMPARE(result, 42);
        QCOMPARE(seen, (QList<int>{1, 2, 3, 4, 5}));
        QVERIFY(allHere);
        QVERIFY(worker != ui);
        QVERIFY(worker);

        // The result's handler may start the next job at once.
        int second = 0;
        QVERIFY(work->start<int>([](BackgroundWork::Reporter&) { return 7; },
                                 [&](int r) {
                                     second = r;
                                     QVERIFY(work->start<int>([](BackgroundWork::Reporter&) { return 8; },
                                                              [&](int s) { second += s; }));
                                 }));
        QTRY_COMPARE(second, 15);
        QVERIFY(!work->running());
    }

    void reportsFasterThanTheIntervalAreDropped()
    {
        QObject window;
        auto* work = new BackgroundWork(&window);
        int shown = 0, always = 0;
        constexpr int kReports = 10000;
        QVERIFY(work->start<bool>(
            [&](BackgroundWork::Reporter& reporter) {
                for (int i = 0; i < kReports; ++i)
                    reporter.report([&] { ++shown; });
                reporter.report([&] { ++always; }, true);
                reporter.report([&] { ++always; }, true);
                return true;
            },
            [](bool) {}));
        QTRY_VERIFY(!work->running());
        // The first report is shown; most of the others are not.
        QVERIFY(shown >= 1);
        QVERIFY2(shown < kReports / 10, qPrintable(QString::number(shown)));
        QCOMPARE(always, 2);
    }

    void aWindowThatGoesFirstGetsNothing()
    {
        auto window = std::make_unique<QObject>();
        auto* work = new BackgroundWork(window.get());
        QSemaphore reported;
        QSemaphore go;
        bool shown = false, handled = false, ran = false;
        QVERIFY(work->start<int>(
            [&](BackgroundWork::Reporter& reporter) {
                reporter.report([&] { shown = true; });
                reported.release();
                go.acquire();
                ran = true;
                return 1;
            },
            [&](int) { handled = true; }));
        reported.acquire();
        go.release();
        // Waits for the job, which is not cut short.
        window.reset();
        QVERIFY(ran);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        QVERIFY(!handled);
    }

    void waitEndsAJobWithoutHandlingItsResult()
    {
        QObject window;
        auto* work = new BackgroundWork(&window);
        bool handled = false;
        QVERIFY(work->start<int>([](BackgroundWork::Reporter&) { return 1; }, [&](int) { handled = true; }));
        work->wait();
        QVERIFY(!work->running());
        // The finished thread's late notice does not end the next job.
        QSemaphore go;
        int result = 0;
        QVERIFY(work->start<int>(
            [&](BackgroundWork::Reporter&) {
                go.acquire();
                return 2;
            },
            [&](int r) { result = r; }));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(work->running());
        go.release();
        QTRY_COMPARE(result, 2);
        QVERIFY(!handled);
    }
};

QTEST_MAIN(BackgroundWorkTest)
#include "BackgroundWorkTest.moc"
