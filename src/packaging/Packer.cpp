// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/Packer.h"

#include <libdeflate.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

namespace vamo::archive {

namespace {

// One raw deflate compressor (libdeflate), made once per thread and used for
// every entry (making it costs about as much as deflating a piece file).
class Deflater {
public:
    Deflater() = default;
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    ~Deflater()
    {
        if (m_compressor)
            libdeflate_free_compressor(m_compressor);
    }

    bool pack(const Entry& entry, PackedEntry& out)
    {
        const auto size = static_cast<std::size_t>(entry.data.size());
        if (size > std::numeric_limits<quint32>::max())
            return false; // zip entries of 4 GiB need ZIP64; pieces are never near that
        if (!m_compressor) {
            m_compressor = libdeflate_alloc_compressor(kDeflateLevel);
            if (!m_compressor)
                return false;
        }
        const std::size_t bound = libdeflate_deflate_compress_bound(m_compressor, size);
        if (m_buffer.size() < bound)
            m_buffer.resize(bound);
        const std::size_t n =
            libdeflate_deflate_compress(m_compressor, entry.data.data(), size, m_buffer.data(), m_buffer.size());
        if (n == 0)
            return false;
        out.name = entry.name;
        out.deflated = QByteArray(m_buffer.data(), static_cast<qsizetype>(n));
        out.crc = static_cast<quint32>(libdeflate_crc32(0, entry.data.data(), size));
        out.size = static_cast<qint64>(size);
        return true;
    }

private:
    libdeflate_compressor* m_compressor = nullptr;
    std::vector<char> m_buffer;
};

} // namespace

struct Packer::Job {
    std::vector<Entry> entries;
    std::vector<PackedEntry> packed;
    std::vector<char> done;   // per entry: deflated
    std::size_t next = 0;     // first entry nobody has claimed
    std::size_t inFlight = 0; // claims being deflated
    qsizetype remaining = -1; // bytes of the entries nobody has claimed; -1 until counted
    std::size_t doneCount = 0;
    QByteArrayList owners; // hold the entries' bytes until all are deflated
    bool failed = false;   // then nothing more is claimed
};

struct Packer::Shared {
    std::mutex mutex;
    std::condition_variable queued;   // a job came, or the workers are to stop
    std::condition_variable finished; // a claim was deflated
    std::deque<std::shared_ptr<Job>> queue;
    bool stopping = false;
    std::vector<std::thread> workers;
    std::mutex callerMutex; // the waiting thread's stream
    Deflater callerDeflater;

    // Claims the next entries of `job`, at least one: about 4 KiB of them
    // while much is left (a piece file or two: a waiting thread never waits
    // long), up to 32 KiB when half the rest is more (so that few claims
    // make a small volume, while each thread still gets part of it). Call
    // with `mutex` held.
    std::pair<std::size_t, std::size_t> claim(Job& job)
    {
        const std::size_t begin = job.next;
        if (job.remaining < 0) {
            job.remaining = 0;
            for (const Entry& e : job.entries)
                job.remaining += e.data.size();
        }
        const qsizetype want = std::clamp(job.remaining / 2, qsizetype(1) << 12, qsizetype(1) << 15);
        std::size_t end = begin;
        qsizetype bytes = 0;
        while (end < job.entries.size() && (end == begin || bytes < want))
            bytes += job.entries[end++].data.size();
        job.remaining -= bytes;
        job.next = end;
        ++job.inFlight;
        if (end == job.entries.size())
            std::erase_if(queue, [&job](const std::shared_ptr<Job>& j) { return j.get() == &job; });
        return {begin, end};
    }

    // Deflates a claim (without the lock) and reports it done.
    void deflateClaim(Job& job, std::pair<std::size_t, std::size_t> range, Deflater& deflater,
                      std::unique_lock<std::mutex>& lock)
    {
        lock.unlock();
        bool ok = true;
        try {
            for (std::size_t i = range.first; i < range.second && ok; ++i)
                ok = deflater.pack(job.entries[i], job.packed[i]);
        } catch (const std::bad_alloc&) {
            ok = false; // not to end the program from a worker thread
        }
        lock.lock();
        if (ok) {
            std::fill(job.done.begin() + static_cast<std::ptrdiff_t>(range.first),
                      job.done.begin() + static_cast<std::ptrdiff_t>(range.second), 1);
            job.doneCount += range.second - range.first;
            if (job.doneCount == job.entries.size())
                job.owners.clear(); // the entries' bytes are no longer needed
        } else {
            job.failed = true;
            job.next = job.entries.size();
            std::erase_if(queue, [&job](const std::shared_ptr<Job>& j) { return j.get() == &job; });
        }
        --job.inFlight;
        finished.notify_all();
    }

    void work()
    {
        Deflater deflater;
        std::unique_lock lock(mutex);
        for (;;) {
            queued.wait(lock, [this] { return stopping || !queue.empty(); });
            if (stopping)
                return;
            const std::shared_ptr<Job> job = queue.front();
            deflateClaim(*job, claim(*job), deflater, lock);
        }
    }
};

Packer::Packer(int workers) : m_shared(std::make_shared<Shared>())
{
    if (workers < 0)
        workers = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
    for (int i = 0; i < workers; ++i) {
        try {
            m_shared->workers.emplace_back([shared = m_shared.get()] { shared->work(); });
        } catch (const std::system_error&) {
            break; // no more threads: the caller deflates the rest
        }
    }
}

Packer::~Packer()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->queued.notify_all();
    for (std::thread& t : m_shared->workers)
        t.join();
    // Batches that are left are deflated by the threads that wait for them.
    const std::lock_guard lock(m_shared->mutex);
    m_shared->workers.clear();
    m_shared->queue.clear();
}

Packer::Batch Packer::start(std::vector<Entry> entries, QByteArrayList owners)
{
    auto job = std::make_shared<Job>();
    job->owners = std::move(owners);
    job->packed.resize(entries.size());
    job->done.resize(entries.size());
    job->entries = std::move(entries);
    qsizetype bytes = 0;
    for (const Entry& e : job->entries)
        bytes += e.data.size();
    // A small batch (a small book's volume, a manifest and chapter index) is
    // deflated by the thread that waits for it: handing it to the workers
    // costs more in wake-ups between the processors than it saves.
    if (bytes < kWorkerBatchBytes || m_shared->workers.empty())
        return Batch(m_shared, std::move(job));
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->queue.push_back(job);
    }
    m_shared->queued.notify_all();
    return Batch(m_shared, std::move(job));
}

Packer::Batch::Batch(std::shared_ptr<Shared> shared, std::shared_ptr<Job> job)
    : m_shared(std::move(shared)), m_job(std::move(job))
{
}

Packer::Batch::Batch(Batch&& other) noexcept : m_shared(std::move(other.m_shared)), m_job(std::move(other.m_job)) {}

Packer::Batch& Packer::Batch::operator=(Batch&& other) noexcept
{
    if (this != &other) {
        cancel();
        m_shared = std::move(other.m_shared);
        m_job = std::move(other.m_job);
    }
    return *this;
}

Packer::Batch::~Batch() { cancel(); }

void Packer::Batch::cancel()
{
    if (!m_shared || !m_job)
        return;
    Shared& shared = *m_shared;
    std::unique_lock lock(shared.mutex);
    m_job->next = m_job->entries.size();
    std::erase_if(shared.queue, [this](const std::shared_ptr<Job>& j) { return j == m_job; });
    shared.finished.wait(lock, [this] { return m_job->inFlight == 0; });
    lock.unlock();
    m_job.reset();
    m_shared.reset();
}

std::size_t Packer::Batch::size() const { return m_job ? m_job->entries.size() : 0; }

const QByteArray& Packer::Batch::name(std::size_t i) const { return m_job->entries[i].name; }

PackedEntry* Packer::Batch::wait(std::size_t i)
{
    if (!m_shared || !m_job || i >= m_job->entries.size())
        return nullptr;
    Shared& shared = *m_shared;
    Job& job = *m_job;
    // The stream here serves one waiting thread at a time.
    const std::lock_guard callerLock(shared.callerMutex);
    std::unique_lock lock(shared.mutex);
    while (!job.done[i] && !job.failed) {
        // Deflate here what nobody has begun rather than wait idle.
        if (job.next < job.entries.size())
            shared.deflateClaim(job, shared.claim(job), shared.callerDeflater, lock);
        else
            shared.finished.wait(lock);
    }
    return job.failed ? nullptr : &job.packed[i];
}

Result<std::vector<PackedEntry>> Packer::Batch::take()
{
    if (!m_job)
        return fail(QStringLiteral("压缩出错"));
    for (std::size_t i = 0; i < m_job->entries.size(); ++i) {
        if (!wait(i)) {
            cancel();
            return fail(QStringLiteral("压缩出错"));
        }
    }
    std::vector<PackedEntry> packed = std::move(m_job->packed);
    m_job.reset();
    m_shared.reset();
    return packed;
}

} // namespace vamo::archive
