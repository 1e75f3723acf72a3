// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFileDevice>
#include <QString>

#include <functional>
#include <memory>
#include <span>
#include <vector>

// Builds a volume's JAR from the reader template: the template's entries stay
// where they are (copied without recompression), every added entry replaces a
// same-named one in place or is appended.
//
// Added entries are deflated ahead of writing, on worker threads (Packer),
// and libzip copies the deflated bytes into the archive as they are.
namespace vamo::archive {

// libdeflate level of the added entries: on Chinese text its level 6 gives
// smaller entries than zlib's level 6 (a zip tool's default), at well under
// its time. Plain deflate either way, as every phone reads it.
inline constexpr int kDeflateLevel = 6;

struct Entry {
    QByteArray name;     // path inside the archive, '/' separated
    QByteArrayView data; // must stay valid until its deflating is over
};

// An entry as it will stand in the archive.
struct PackedEntry {
    QByteArray name;
    QByteArray deflated; // raw deflate stream of the entry's bytes
    quint32 crc = 0;     // CRC-32 of the entry's bytes
    qint64 size = 0;     // the entry's bytes before deflating
};

// Deflates entries on worker threads, each with its own reused compressor.
// One thread at a time waits for a batch's entries; it deflates meanwhile
// what the workers have not begun.
class Packer {
    struct Job;

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

        std::size_t size() const;
        const QByteArray& name(std::size_t i) const;

        // Entry i once it is deflated, deflating here meanwhile what nobody
        // has begun; null when deflating failed or the batch was taken.
        PackedEntry* wait(std::size_t i);

        // Every entry, in order, once all are deflated; the batch is over.
        Result<std::vector<PackedEntry>> take();

    private:
        friend class Packer;
        Batch(Packer* packer, std::shared_ptr<Job> job);
        void cancel();
        Packer* m_packer = nullptr;
        std::shared_ptr<Job> m_job;
    };

    // Batches of fewer bytes than this are deflated by the thread that waits
    // for them (in wait() or take()), never by the workers.
    static constexpr qsizetype kWorkerBatchBytes = qsizetype(128) << 10;

    // Starts deflating `entries`; their data must stay valid until the batch
    // is taken or destroyed, or lie in `owner`, which the packer holds until
    // every entry is deflated and then lets go.
    Batch start(std::vector<Entry> entries, QByteArray owner = {});

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
};

// Whether `templateBytes` can serve as the reader template: an archive with
// at least one entry, consistent, every entry readable with the right CRC.
// The error message is the reason alone. Bytes found good once in this
// process (compared in full) are not checked again.
Result<void> checkTemplate(QByteArrayView templateBytes);

// Writes the template with the entries of `batches` added, in order, to
// `out`, a file open for writing at its start, and returns the bytes
// written. The archive goes straight into the file (through a buffer of
// about 1 MiB), never whole into memory. Each entry is written as soon as it
// is deflated, while the packer goes on with the next, and its deflated bytes
// are released then. Fails with
// "生成JAR包失败：" + reason, or "无法写入文件：" + the file's name; the file
// may then hold part of the archive. `alive`, when given, is called now and
// then while the archive is written, so that a caller can keep its window
// painting. The template's bytes are only read.
Result<qint64> writeJar(QByteArrayView templateBytes, std::span<Packer::Batch> batches, QFileDevice& out,
                        const std::function<void()>& alive = {});

// The same into a new file at `path`, which must not exist yet (nor a link
// of that name); on failure the file is removed again.
Result<qint64> writeJar(QByteArrayView templateBytes, std::span<Packer::Batch> batches, const QString& path,
                        const std::function<void()>& alive = {});

// Opens the archive at `path`, checking its consistency, and reads one entry.
// The error message is the reason alone.
Result<QByteArray> readEntry(const QString& path, const QByteArray& name);

// The same from `file`, an archive just written and still open for reading,
// with plain reads: the entry's central directory record, its local header
// (which must agree with it, without a data descriptor), its bytes and their
// CRC. For an archive of ours, checked without opening it again.
Result<QByteArray> readEntry(QFileDevice& file, const QByteArray& name);

} // namespace vamo::archive
