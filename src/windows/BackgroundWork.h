// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QThread;

namespace vamo {

// A window's long work on a thread of its own. The job sees only what it
// was given (a snapshot of the book or of a file list) and reports through
// a Reporter; the reports and, once the thread has ended, the result are
// run on the window's thread, in the order they were made. The window
// changes its book in the result's handler, never in the job.
class BackgroundWork : public QObject {
    Q_OBJECT

public:
    // Longest time the window waits for a new progress display; reports that
    // come faster are dropped, so a busy window repaints about this often.
    static constexpr qint64 kReportIntervalMs = 40;

    // `window`: where the reports and the result are handled; owns this.
    explicit BackgroundWork(QObject* window);
    // Waits for a job still running (its result is not handled any more).
    // A window whose job reports to it waits in its own destructor, before
    // it is half gone.
    ~BackgroundWork() override;

    bool running() const { return m_thread != nullptr; }

    // The job's side: hands a progress display to the window's thread.
    class Reporter {
    public:
        // `show` runs on the window's thread unless the previous display went
        // less than the report interval ago. `always` never drops it.
        void report(std::function<void()> show, bool always = false);

    private:
        friend class BackgroundWork;
        explicit Reporter(QObject* window) : m_window(window) {}
        QObject* m_window;
        QElapsedTimer m_sinceReport;
    };

    // Runs `job` on a new thread (nothing when a job is running);
    // `finished` gets its result on the window's thread after the last
    // report.
    template <class R>
    bool start(std::function<R(Reporter&)> job, std::function<void(R)> finished)
    {
        auto result = std::make_shared<std::optional<R>>();
        return startThread([job = std::move(job), result](Reporter& r) { result->emplace(job(r)); },
                           [finished = std::move(finished), result] {
                               if (*result)
                                   finished(std::move(**result));
                           });
    }

    // Waits until the running job has ended, without handling its result.
    void wait();

private:
    bool startThread(std::function<void(Reporter&)> body, std::function<void()> finished);
    void threadFinished(quint64 run);

    QObject* m_window;
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<Reporter> m_reporter;
    std::function<void()> m_finished;
    quint64 m_run = 0; // counts the jobs started, to tell a late end apart
};

} // namespace vamo
