// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/BackgroundWork.h"

#include <QThread>

namespace vamo {

BackgroundWork::BackgroundWork(QObject* window) : QObject(window), m_window(window) {}

BackgroundWork::~BackgroundWork() { wait(); }

void BackgroundWork::Reporter::report(std::function<void()> show, bool always)
{
    if (!always && m_sinceReport.isValid() && m_sinceReport.elapsed() < kReportIntervalMs)
        return;
    m_sinceReport.start();
    // Dropped by Qt when the window is gone before it runs.
    QMetaObject::invokeMethod(m_window, std::move(show), Qt::QueuedConnection);
}

bool BackgroundWork::startThread(std::function<void(Reporter&)> body, std::function<void()> finished)
{
    if (m_thread)
        return false;
    m_reporter.reset(new Reporter(m_window));
    m_finished = std::move(finished);
    Reporter* reporter = m_reporter.get();
    m_thread.reset(QThread::create([body = std::move(body), reporter] { body(*reporter); }));
    // Queued after every report the job made, so the result comes last.
    const quint64 run = ++m_run;
    connect(
        m_thread.get(), &QThread::finished, this, [this, run] { threadFinished(run); }, Qt::QueuedConnection);
    m_thread->start();
    return true;
}

void BackgroundWork::threadFinished(quint64 run)
{
    // A job that wait() already ended is not handled.
    if (!m_thread || run != m_run)
        return;
    m_thread->wait();
    m_thread.reset();
    m_reporter.reset();
    // The handler may start the next job.
    const std::function<void()> finished = std::move(m_finished);
    m_finished = nullptr;
    if (finished)
        finished();
}

void BackgroundWork::wait()
{
    if (!m_thread)
        return;
    m_thread->wait();
    m_thread.reset();
    m_reporter.reset();
    m_finished = nullptr;
}

} // namespace vamo
