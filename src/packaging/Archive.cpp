// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/Archive.h"

#include "model/SystemError.h"
#include "packaging/ArchiveReadBack.h"
#include "packaging/ZipFileSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace vamo::archive {

namespace {

QString reasonOf(zip_error_t* error)
{
    QString reason;
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        reason = QStringLiteral("电子书模板不是有效的JAR文件");
        break;
    case ZIP_ER_INCONS:
    case ZIP_ER_CRC:
        reason = QStringLiteral("电子书模板已损坏");
        break;
    case ZIP_ER_MEMORY:
        reason = QStringLiteral("内存不足");
        break;
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_EOF:
        reason = QStringLiteral("读取失败");
        break;
    case ZIP_ER_WRITE:
    case ZIP_ER_CLOSE:
    case ZIP_ER_TMPOPEN:
    case ZIP_ER_RENAME:
        reason = QStringLiteral("写入失败");
        break;
    default:
        reason = QStringLiteral("压缩出错");
        break;
    }
    return reason + QStringLiteral("(") + QString::fromUtf8(zip_error_strerror(error)) + QStringLiteral(")");
}

// A libzip error record, finished with its owner.
class ZipError {
public:
    ZipError() { zip_error_init(&m_error); }
    explicit ZipError(int code) { zip_error_init_with_code(&m_error, code); }
    ZipError(ZipError&& other) noexcept : m_error(other.m_error) { zip_error_init(&other.m_error); }
    ZipError(const ZipError&) = delete;
    ZipError& operator=(const ZipError&) = delete;
    ZipError& operator=(ZipError&&) = delete;
    ~ZipError() { zip_error_fini(&m_error); }

    zip_error_t* get() { return &m_error; }
    void set(int code) { zip_error_set(&m_error, code, 0); }

private:
    zip_error_t m_error;
};

} // namespace

QString zipReason(int code)
{
    ZipError error(code);
    return reasonOf(error.get());
}

namespace {

struct ArchiveDiscard {
    void operator()(zip_t* a) const { zip_discard(a); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDiscard>;

// A source until libzip takes it over (release() then).
struct SourceFree {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;

// An entry open for reading; closed by closeFile() where its error counts.
struct FileClose {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using FilePtr = std::unique_ptr<zip_file_t, FileClose>;

int closeFile(FilePtr& file) { return zip_fclose(file.release()); }

// The archive being made, as libzip sees it: read from the template's bytes,
// which stay the caller's and are never written, and written anew straight
// into the file `out` (through its buffer), so that no volume is ever held
// whole in memory. libzip's own buffer source is not used for this: on its
// path that keeps the unchanged head of an archive it frees memory it does
// not own. Without the cloning command libzip writes every entry itself.
struct TemplateSource {
    QByteArrayView in;
    zip_uint64_t inOffset = 0;
    QFileDevice* out = nullptr; // open for writing at its start; null when only read
    zip_uint64_t outOffset = 0;
    zip_uint64_t outSize = 0;
    bool rewritten = false; // libzip wrote the archive anew (it does not when nothing changed)
    std::time_t mtime = 0;
    ZipError error;
    // The archive's latest bytes, from file offset bufferStart on. libzip
    // goes back to every entry's header once the entry is written; in here
    // that costs neither a seek nor a write of the file.
    QByteArray buffer;
    zip_uint64_t bufferStart = 0;

    static constexpr qsizetype kFlushAt = qsizetype(1) << 20;
    static constexpr qsizetype kKeep = qsizetype(64) << 10; // for going back to a header

    // Why writing the file failed, taken as it failed.
    std::error_code writeError;

    bool writeOut(zip_uint64_t at, const char* data, qint64 n)
    {
        const auto offset = static_cast<qint64>(at);
        clearSystemError();
        const qint64 written = out->pos() == offset || out->seek(offset) ? out->write(data, n) : -1;
        if (written == n)
            return true;
        // The system's reason when the system refused, also where it took
        // part of the bytes (a disk that filled up part way, which Qt reports
        // as a short count without an error); none when Qt refused (a device
        // not open for writing).
        if (out->error() != QFileDevice::NoError || written > 0)
            writeError = lastSystemError();
        return false;
    }

    // Writes the buffer's first `n` bytes to the file.
    bool flushBuffer(qsizetype n)
    {
        if (n <= 0)
            return true;
        if (!writeOut(bufferStart, buffer.constData(), n))
            return false;
        buffer.remove(0, n);
        bufferStart += static_cast<zip_uint64_t>(n);
        return true;
    }

    bool flush() { return flushBuffer(buffer.size()); }

    zip_int64_t write(const void* data, zip_uint64_t length)
    {
        if (!out || length > static_cast<zip_uint64_t>(std::numeric_limits<qsizetype>::max() / 2) ||
            outOffset > static_cast<zip_uint64_t>(std::numeric_limits<qint64>::max()) - length) {
            error.set(ZIP_ER_WRITE);
            return -1;
        }
        const auto n = static_cast<qsizetype>(length);
        const char* bytes = static_cast<const char*>(data);
        bool ok = true;
        try {
            if (outOffset >= bufferStart && outOffset <= bufferStart + static_cast<zip_uint64_t>(buffer.size())) {
                const auto at = static_cast<qsizetype>(outOffset - bufferStart);
                if (buffer.size() < at + n)
                    buffer.resize(at + n);
                std::memcpy(buffer.data() + at, bytes, static_cast<std::size_t>(n));
                if (buffer.size() >= kFlushAt)
                    ok = flushBuffer(buffer.size() - kKeep);
            } else {
                // Before what the buffer holds: straight into the file.
                ok = flush() && writeOut(outOffset, bytes, n);
                if (ok && outOffset + length > bufferStart)
                    bufferStart = outOffset + length; // the buffer was written and is empty
            }
        } catch (const std::bad_alloc&) {
            error.set(ZIP_ER_MEMORY);
            return -1;
        }
        if (!ok) {
            error.set(ZIP_ER_WRITE);
            return -1;
        }
        outOffset += length;
        outSize = std::max(outSize, outOffset);
        return static_cast<zip_int64_t>(length);
    }

    // What libzip wrote goes again (the caller removes the file on failure).
    void discardWritten()
    {
        buffer.truncate(0);
        if (out && outSize > 0 && out->seek(0))
            out->resize(0);
        outOffset = outSize = bufferStart = 0;
    }

    zip_int64_t read(void* data, zip_uint64_t length)
    {
        const zip_uint64_t n = std::min(length, static_cast<zip_uint64_t>(in.size()) - inOffset);
        if (n > 0)
            std::memcpy(data, in.data() + inOffset, static_cast<std::size_t>(n));
        inOffset += n;
        return static_cast<zip_int64_t>(n);
    }

    zip_int64_t stat(void* data, zip_uint64_t length)
    {
        if (length < sizeof(zip_stat_t)) {
            error.set(ZIP_ER_INVAL);
            return -1;
        }
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = static_cast<zip_uint64_t>(in.size());
        st->mtime = mtime;
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
    }

    // Moves the reading (or with `writing`, the writing) offset.
    zip_int64_t seek(void* data, zip_uint64_t length, bool writing)
    {
        zip_uint64_t& offset = writing ? outOffset : inOffset;
        const zip_uint64_t size = writing ? outSize : static_cast<zip_uint64_t>(in.size());
        const zip_int64_t at = zip_source_seek_compute_offset(offset, size, data, length, error.get());
        if (at < 0)
            return -1;
        offset = static_cast<zip_uint64_t>(at);
        return 0;
    }

    zip_int64_t beginWrite()
    {
        if (!out) {
            error.set(ZIP_ER_RDONLY);
            return -1;
        }
        discardWritten();
        rewritten = true;
        return 0;
    }
};

zip_int64_t templateSourceCall(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* source = static_cast<TemplateSource*>(userdata);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        source->inOffset = 0;
        return 0;
    case ZIP_SOURCE_READ:
        return source->read(data, length);
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_COMMIT_WRITE:
        return 0;
    case ZIP_SOURCE_STAT:
        return source->stat(data, length);
    case ZIP_SOURCE_SEEK:
        return source->seek(data, length, /*writing=*/false);
    case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(source->inOffset);
    case ZIP_SOURCE_BEGIN_WRITE:
        return source->beginWrite();
    case ZIP_SOURCE_WRITE:
        return source->write(data, length);
    case ZIP_SOURCE_SEEK_WRITE:
        return source->seek(data, length, /*writing=*/true);
    case ZIP_SOURCE_TELL_WRITE:
        return static_cast<zip_int64_t>(source->outOffset);
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
        source->discardWritten();
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(source->error.get(), data, length);
    case ZIP_SOURCE_FREE:
        return 0; // owned by its caller
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
    default:
        source->error.set(ZIP_ER_OPNOTSUPP);
        return -1;
    }
}

// Opens the archive that `source` reads; on failure the source is freed.
Result<ArchivePtr> openSource(SourcePtr source, ZipError& error, int flags)
{
    zip_t* archive = source ? zip_open_from_source(source.get(), flags, error.get()) : nullptr;
    if (!archive)
        return fail(reasonOf(error.get()));
    source.release(); // the archive's now
    return ArchivePtr(archive);
}

// Opens the template held by `source` (for writing into source.out).
Result<ArchivePtr> openTemplate(TemplateSource& source, int flags)
{
    ZipError error;
    return openSource(SourcePtr(zip_source_function_create(templateSourceCall, &source, error.get())), error, flags);
}

// Opens the archive at `path` for reading; only its directory and the
// entries read are touched.
Result<ArchivePtr> openFile(const QString& path, int flags)
{
    ZipError error;
    return openSource(SourcePtr(fileSource(path, error.get())), error, flags);
}

// An added entry as libzip reads it: already deflated, with its size and
// CRC known, so that libzip copies the bytes instead of compressing again.
// libzip asks for each entry in archive order as it writes; the entry is
// waited for then (and deflated there if nobody has begun it).
struct PackedSource {
    Packer::Batch* batch = nullptr;
    std::size_t index = 0;
    PackedEntry* entry = nullptr; // once deflated
    qint64 compressedSize = 0;
    qsizetype position = 0;
    bool released = false;
    std::time_t mtime = 0;
    ZipError error;

    bool ready()
    {
        if (!entry) {
            entry = batch->wait(index);
            if (!entry) {
                error.set(ZIP_ER_ZLIB);
                return false;
            }
            compressedSize = entry->deflated.size();
        }
        return true;
    }

    zip_int64_t open()
    {
        if (released) { // libzip reads each entry once
            error.set(ZIP_ER_INTERNAL);
            return -1;
        }
        if (!ready())
            return -1;
        position = 0;
        return 0;
    }

    zip_int64_t read(void* data, zip_uint64_t length)
    {
        const QByteArray& bytes = entry->deflated;
        const auto n =
            static_cast<qsizetype>(std::min<zip_uint64_t>(length, static_cast<zip_uint64_t>(bytes.size() - position)));
        std::memcpy(data, bytes.constData() + position, static_cast<std::size_t>(n));
        position += n;
        return n;
    }

    zip_int64_t stat(void* data, zip_uint64_t length)
    {
        if (length < sizeof(zip_stat_t)) {
            error.set(ZIP_ER_INVAL);
            return -1;
        }
        if (!ready())
            return -1;
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = static_cast<zip_uint64_t>(entry->size);
        st->comp_size = static_cast<zip_uint64_t>(compressedSize);
        st->comp_method = ZIP_CM_DEFLATE;
        st->encryption_method = ZIP_EM_NONE;
        st->crc = entry->crc;
        st->mtime = mtime;
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD |
                    ZIP_STAT_CRC | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
    }

    zip_int64_t attributes(void* data, zip_uint64_t length)
    {
        if (length < sizeof(zip_file_attributes_t)) {
            error.set(ZIP_ER_INVAL);
            return -1;
        }
        // Deflate at normal level: general purpose bits 1 and 2 clear, as
        // libzip's own compressor marks level 6.
        auto* a = static_cast<zip_file_attributes_t*>(data);
        a->valid |= ZIP_FILE_ATTRIBUTES_VERSION_NEEDED | ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
        a->version_needed = 20;
        a->general_purpose_bit_flags = 0;
        a->general_purpose_bit_mask = 0x0006;
        return sizeof(zip_file_attributes_t);
    }
};

zip_int64_t packedSourceCall(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* source = static_cast<PackedSource*>(userdata);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        return source->open();
    case ZIP_SOURCE_READ:
        return source->read(data, length);
    case ZIP_SOURCE_CLOSE:
        // The bytes are in the archive now.
        source->entry->deflated = QByteArray();
        source->released = true;
        return 0;
    case ZIP_SOURCE_STAT:
        return source->stat(data, length);
    case ZIP_SOURCE_GET_FILE_ATTRIBUTES:
        return source->attributes(data, length);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(source->error.get(), data, length);
    case ZIP_SOURCE_FREE:
        return 0; // owned by writeJar
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_READABLE | zip_source_make_command_bitmap(ZIP_SOURCE_GET_FILE_ATTRIBUTES, -1);
    default:
        source->error.set(ZIP_ER_OPNOTSUPP);
        return -1;
    }
}

} // namespace

// ---------------------------------------------------------------------------

namespace {

// Templates found good in this process, by their bytes: a build checks its
// template every time, and the same few templates come again and again (a
// folder run builds one book after another). Holding the bytes (shared with
// the callers' copies, or a copy of them) keeps the answer exact.
class CheckedTemplates {
public:
    bool contains(QByteArrayView bytes)
    {
        const std::lock_guard lock(m_mutex);
        return std::ranges::any_of(m_good, [bytes](const QByteArray& good) { return QByteArrayView(good) == bytes; });
    }

    void add(QByteArrayView bytes)
    {
        const std::lock_guard lock(m_mutex);
        if (m_good.size() == kKept)
            m_good.erase(m_good.begin());
        m_good.emplace_back(bytes.toByteArray());
    }

private:
    static constexpr std::size_t kKept = 4; // the templates of a few phone models
    std::mutex m_mutex;
    std::vector<QByteArray> m_good;
};

CheckedTemplates& checkedTemplates()
{
    static CheckedTemplates checked;
    return checked;
}

// Reads entry `index` of `archive` to its end, which checks its compressed
// data and CRC.
Result<void> readThrough(zip_t* archive, zip_uint64_t index)
{
    FilePtr file(zip_fopen_index(archive, index, 0));
    if (!file)
        return fail(reasonOf(zip_get_error(archive)));
    std::array<char, 1 << 14> buffer{};
    zip_int64_t n = 0;
    while ((n = zip_fread(file.get(), buffer.data(), buffer.size())) > 0) {
    }
    if (n < 0)
        return fail(reasonOf(zip_file_get_error(file.get())));
    if (const int closed = closeFile(file); closed != 0)
        return fail(zipReason(closed));
    return {};
}

Result<void> checkTemplateEntries(QByteArrayView templateBytes)
{
    // libzip takes an empty file for an empty archive; as a template it is
    // broken (a JAR without the reader), as is an archive without entries.
    if (templateBytes.isEmpty())
        return fail(zipReason(ZIP_ER_NOZIP));
    TemplateSource source;
    source.in = templateBytes;
    auto opened = openTemplate(source, ZIP_CHECKCONS | ZIP_RDONLY);
    if (!opened)
        return failure(opened);
    zip_t* archive = opened->get();
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count <= 0)
        return fail(zipReason(ZIP_ER_NOZIP));
    // Every entry is copied into every volume as it stands: read each once.
    for (zip_int64_t i = 0; i < count; ++i) {
        if (auto read = readThrough(archive, static_cast<zip_uint64_t>(i)); !read)
            return read;
    }
    return {};
}

} // namespace

Result<void> checkTemplate(QByteArrayView templateBytes)
{
    if (!templateBytes.isEmpty() && checkedTemplates().contains(templateBytes))
        return {};
    auto checked = checkTemplateEntries(templateBytes);
    if (checked)
        checkedTemplates().add(templateBytes);
    return checked;
}

namespace {

std::unexpected<Error> zipFailed(const QString& reason) { return fail(QStringLiteral("生成JAR包失败：") + reason); }

// libzip's failure; the memory running out is what it is everywhere else,
// for the build to report as such.
std::unexpected<Error> zipFailed(zip_error_t* error)
{
    if (zip_error_code_zip(error) == ZIP_ER_MEMORY)
        throw std::bad_alloc();
    return zipFailed(reasonOf(error));
}

// One source for every entry of `batches`, in order.
std::vector<PackedSource> packedSources(std::span<Packer::Batch> batches, std::time_t mtime)
{
    std::size_t count = 0;
    for (const Packer::Batch& b : batches)
        count += b.size();
    std::vector<PackedSource> sources;
    sources.reserve(count);
    for (Packer::Batch& b : batches) {
        for (std::size_t i = 0; i < b.size(); ++i) {
            PackedSource& s = sources.emplace_back();
            s.batch = &b;
            s.index = i;
            s.mtime = mtime;
        }
    }
    return sources;
}

// Adds (or puts in place of a same-named template entry) every source.
Result<void> addEntries(zip_t* archive, std::vector<PackedSource>& sources)
{
    for (PackedSource& s : sources) {
        SourcePtr data(zip_source_function(archive, packedSourceCall, &s));
        if (!data)
            return zipFailed(zip_get_error(archive));
        // A replaced template entry takes the method of its source, whatever
        // the template had.
        if (zip_file_add(archive, s.batch->name(s.index).constData(), data.get(), ZIP_FL_OVERWRITE) < 0)
            return zipFailed(zip_get_error(archive));
        data.release(); // the archive's now
    }
    return {};
}

// Writing a large volume takes a while; libzip reports its progress from
// this thread as it goes.
void reportProgress(zip_t* archive, const std::function<void()>& alive)
{
    if (!alive)
        return;
    auto call = [](zip_t*, double, void* ud) { (*static_cast<const std::function<void()>*>(ud))(); };
    zip_register_progress_callback_with_state(archive, 0.005, call, nullptr,
                                              const_cast<std::function<void()>*>(&alive));
}

// Writes the archive out (libzip writes it anew through `source`) and
// returns its size in the file.
Result<qint64> closeArchive(ArchivePtr& archive, TemplateSource& source, QFileDevice& out)
{
    const auto cannotWrite = [&source, &out] { return fail(cannotWriteFile(out.fileName(), source.writeError)); };
    source.buffer.reserve(TemplateSource::kFlushAt + (qsizetype(64) << 10));
    if (zip_close(archive.get()) < 0) {
        if (zip_error_code_zip(source.error.get()) == ZIP_ER_WRITE)
            return cannotWrite(); // the file, not the archive
        return zipFailed(zip_get_error(archive.get()));
    }
    archive.release(); // closed and freed by zip_close
    if (!source.flush())
        return cannotWrite();
    qint64 written = static_cast<qint64>(source.outSize);
    if (!source.rewritten) {
        // Nothing added: the template as it is.
        clearSystemError();
        if (const qint64 n = out.write(source.in.data(), source.in.size()); n != source.in.size()) {
            if (out.error() != QFileDevice::NoError || n > 0)
                source.writeError = lastSystemError();
            return cannotWrite();
        }
        written = source.in.size();
    }
    if (written == 0)
        return zipFailed(zipReason(ZIP_ER_NOZIP)); // nothing was left to write
    clearSystemError();
    if (!out.flush() || out.error() != QFileDevice::NoError) {
        source.writeError = lastSystemError();
        return cannotWrite();
    }
    return written;
}

} // namespace

Result<qint64> writeJar(QByteArrayView templateBytes, std::span<Packer::Batch> batches, QFileDevice& out,
                        const std::function<void()>& alive)
{
    if (templateBytes.isEmpty())
        return zipFailed(zipReason(ZIP_ER_NOZIP));
    // The sources outlive the archive, which may still call them when it is
    // discarded.
    const std::time_t now = std::time(nullptr);
    std::vector<PackedSource> sources = packedSources(batches, now);
    TemplateSource archiveSource;
    archiveSource.in = templateBytes;
    archiveSource.out = &out;
    archiveSource.mtime = now;
    auto opened = openTemplate(archiveSource, ZIP_CHECKCONS);
    if (!opened)
        return zipFailed(opened.error().message);
    ArchivePtr archive = std::move(*opened);
    // A comment of the template's would stand after the JAR's directory,
    // where neither the reading back nor every phone looks for its end.
    if (zip_set_archive_comment(archive.get(), nullptr, 0) < 0)
        return zipFailed(zip_get_error(archive.get()));
    if (auto added = addEntries(archive.get(), sources); !added)
        return failure(added);
    reportProgress(archive.get(), alive);
    return closeArchive(archive, archiveSource, out);
}

Result<qint64> writeJar(QByteArrayView templateBytes, std::span<Packer::Batch> batches, const QString& path,
                        const std::function<void()>& alive)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return fail(QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(path));
    std::optional<Result<qint64>> attempt;
    try {
        attempt.emplace(writeJar(templateBytes, batches, out, alive));
    } catch (const std::bad_alloc&) {
        out.close();
        out.remove();
        throw;
    }
    Result<qint64>& written = *attempt;
    out.close();
    if (!written || out.error() != QFileDevice::NoError) {
        out.remove();
        if (written)
            return fail(QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(path));
    }
    return written;
}

Result<QByteArray> readEntry(const QString& path, const QByteArray& name)
{
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("找不到文件：") + QDir::toNativeSeparators(path));
    auto opened = openFile(path, ZIP_RDONLY);
    if (!opened)
        return failure(opened);
    zip_t* archive = opened->get();

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(archive, name.constData(), 0, &st) < 0 || !(st.valid & ZIP_STAT_SIZE))
        return fail(QStringLiteral("找不到") + QString::fromUtf8(name));
    FilePtr file(zip_fopen(archive, name.constData(), 0));
    if (!file)
        return fail(reasonOf(zip_get_error(archive)));
    QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
    const zip_int64_t n = zip_fread(file.get(), data.data(), st.size);
    const int closed = closeFile(file);
    if (n != static_cast<zip_int64_t>(st.size) || closed != 0)
        return fail(closed != 0 ? zipReason(closed) : QStringLiteral("读取失败"));
    return data;
}

} // namespace vamo::archive
