// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

#include <memory>
#include <vector>

// Deflating a volume's added entries ahead of writing its JAR, on worker
// threads, each with its own reused compressor (libdeflate).
namespace vamo::archive {

// libdeflate level of the added entries. At about half the time of zlib's
// level 6 (a zip tool's default) its entries come out within a few tenths
// of a percent of zlib 6's size on Chinese text, larger or smaller by the
// text (a lone short piece: a few percent larger). Levels 5 to 9 give all
// but the same sizes in all but the same time (bench_make --levels); only
// levels 10 and up, at about three times the time, are never larger. Plain
// deflate either way, as every phone reads it.
inline constexpr int kDeflateLevel = 6;

struct Entry {
    QByteArray name;     // path inside the archive, '/' separated
    QByteArrayView data; // a view: into the batch's owners, or bytes the caller keeps (Packer::start)
};

// An entry as it will stand in the archive.
struct PackedEntry {
    QByteArray name;
    QByteArray deflated; // raw deflate stream of the entry's bytes
    quint32 crc = 0;     // CRC-32 of the entry's bytes
    qint64 size = 0;     // the entry's bytes before deflating
};

// Deflates entries on worker threads. One thread at a time waits for a
// batch's entries; it deflates meanwhile what the workers have not begun.
//
// A batch shares the packer's state, not the packer: a batch may outlive its
// packer (the packer's threads are gone then, and the thread that waits for
// the batch deflates what is left), and a packer may be destroyed while
// batches are still being deflated (it waits for its threads' claims).
class Packer {
    struct Job;
    struct Shared;

public:
    // `workers` threads besides the caller; a negative count means one less
    // than the processors, but at least one.
    explicit Packer(int workers = -1);
    ~Packer();
    Packer(const Packer&) = delete;
    Packer& operator=(const Packer&) = delete;

    class Batch {
    public:
        Batch(Batch&&) noexcept;
        Batch& operator=(Batch&&) noexcept;
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // A batch dropped before it is taken stops; the workers let go of
        // its entries before this returns.
        ~Batch();

        [[nodiscard]] std::size_t size() const;
        [[nodiscard]] const QByteArray& name(std::size_t i) const;

        // Entry i once it is deflated, deflating here meanwhile what nobody
        // has begun; null when deflating failed or the batch was taken.
        [[nodiscard]] PackedEntry* wait(std::size_t i);

        // Every entry, in order, once all are deflated; the batch is over.
        [[nodiscard]] Result<std::vector<PackedEntry>> take();

    private:
        friend class Packer;
        Batch(std::shared_ptr<Shared> shared, std::shared_ptr<Job> job);
        void cancel();
        std::shared_ptr<Shared> m_shared;
        std::shared_ptr<Job> m_job;
    };

    // Batches of fewer bytes than this are deflated by the thread that waits
    // for them (in wait() or take()), never by the workers.
    static constexpr qsizetype kWorkerBatchBytes = qsizetype(128) << 10;

    // Starts deflating `entries`. Their data lies in `owners`, which the
    // packer holds until every entry is deflated and then lets go, so that
    // whatever else happens to the caller's byte arrays (moved, dropped) the
    // views stay valid; data outside the owners must stay valid until the
    // batch is taken or destroyed. Dropping the batch stops it.
    [[nodiscard]] Batch start(std::vector<Entry> entries, QByteArrayList owners = {});

private:
    std::shared_ptr<Shared> m_shared;
};

} // namespace vamo::archive
