// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window benchmarks' measure of a busy window: while work runs, the
// window is asked to repaint every 10 ms (as when another window is dragged
// over it), and a gap is how long such a request waits for the repaint.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <ctime>

namespace vamo::bench {

// Longest time between two repaints of a window (its own or any of its
// controls') from start() to stop(); the time from the last repaint to
// stop() counts too.
class PaintWatch : public QObject {
public:
    // What counts as a repaint: paint events only, or also the window's
    // update requests (the backing store flushes that carry them).
    enum class Counts { Paints, PaintsAndUpdateRequests };

    explicit PaintWatch(QWidget* window, Counts counts = Counts::Paints) : m_window(window), m_counts(counts)
    {
        qApp->installEventFilter(this);
        m_demand.setInterval(10);
        QObject::connect(&m_demand, &QTimer::timeout, m_window, [this] { m_window->update(); });
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;

    void start()
    {
        m_clock.start();
        m_demand.start();
        m_last = 0;
        m_longest = 0;
        m_paints = 0;
    }
    void stop()
    {
        m_demand.stop();
        note();
    }
    [[nodiscard]] qint64 longestGapNs() const { return m_longest; }
    [[nodiscard]] qint64 longestGapMs() const { return m_longest / 1'000'000; }
    [[nodiscard]] int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool counted = event->type() == QEvent::Paint ||
                             (m_counts == Counts::PaintsAndUpdateRequests && event->type() == QEvent::UpdateRequest);
        if (m_clock.isValid() && counted && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_window) {
            ++m_paints;
            note();
        }
        return false;
    }

private:
    void note()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QWidget* m_window;
    Counts m_counts;
    QTimer m_demand;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    int m_paints = 0;
};

// Lets a freshly shown window lay itself out and paint.
inline void settle(int ms = 100)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// CPU time of the calling thread in milliseconds (the user-interface thread
// here): unlike wall time it does not count time the machine gave to other
// programs, so the window's own cost shows through a busy machine. -1 where
// the platform has no such clock.
inline qint64 threadCpuMs()
{
#if defined(CLOCK_THREAD_CPUTIME_ID)
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
#else
    return -1;
#endif
}

} // namespace vamo::bench
