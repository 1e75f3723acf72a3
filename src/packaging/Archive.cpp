#include "packaging/Archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <array>
#include <cstdlib>
#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace Qt::StringLiterals;

namespace vamo::archive {

namespace {

QString reasonOf(zip_error_t* error)
{
    QString reason;
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        reason = u"电子书模板不是有效的JAR文件"_s;
        break;
    case ZIP_ER_INCONS:
    case ZIP_ER_CRC:
        reason = u"电子书模板已损坏"_s;
        break;
    case ZIP_ER_MEMORY:
        reason = u"内存不足"_s;
        break;
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_EOF:
        reason = u"读取失败"_s;
        break;
    case ZIP_ER_WRITE:
    case ZIP_ER_CLOSE:
    case ZIP_ER_TMPOPEN:
    case ZIP_ER_RENAME:
        reason = u"写入失败"_s;
        break;
    default:
        reason = u"压缩出错"_s;
        break;
    }
    return reason + u"("_s + QString::fromUtf8(zip_error_strerror(error)) + u")"_s;
}

QString reasonOf(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    QString reason = reasonOf(&error);
    zip_error_fini(&error);
    return reason;
}

// libzip sets up a fresh deflate state (about 400 KB) for every entry and
// frees it afterwards. With glibc's default thresholds that memory is handed
// back to the system after each entry and faulted in again for the next,
// which for a book cut into many small volumes costs three times the
// compression itself. Blocks under 1 MiB stay on the heap, and up to 2 MiB of
// free heap is kept.
void keepCompressorMemory()
{
#if defined(__GLIBC__)
    static const bool tuned = [] {
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
        mallopt(M_TRIM_THRESHOLD, 2 << 20);
        return true;
    }();
    (void)tuned;
#endif
}

struct ArchiveDiscard {
    void operator()(zip_t* a) const { zip_discard(a); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDiscard>;

struct SourceFree {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;

// An archive over bytes in memory; `source` outlives the archive and, after a
// successful close, holds the new archive.
Result<std::pair<SourcePtr, ArchivePtr>> openInMemory(QByteArrayView bytes, int flags)
{
    zip_error_t error;
    zip_error_init(&error);
    SourcePtr source(zip_source_buffer_create(bytes.data(), static_cast<zip_uint64_t>(bytes.size()), 0, &error));
    if (!source) {
        QString reason = reasonOf(&error);
        zip_error_fini(&error);
        return fail(reason);
    }
    zip_source_keep(source.get()); // the archive releases its reference on close
    ArchivePtr archive(zip_open_from_source(source.get(), flags, &error));
    if (!archive) {
        zip_source_free(source.get()); // the reference taken for the archive
        QString reason = reasonOf(&error);
        zip_error_fini(&error);
        return fail(reason);
    }
    zip_error_fini(&error);
    return std::pair{std::move(source), std::move(archive)};
}

zip_source_t* fileSource(const QString& path, zip_error_t* error)
{
#ifdef Q_OS_WIN
    return zip_source_win32w_create(reinterpret_cast<const wchar_t*>(path.utf16()), 0, -1, error);
#else
    return zip_source_file_create(QFile::encodeName(path).constData(), 0, -1, error);
#endif
}

// Opens the archive at `path` for reading; only its directory and the
// entries read are touched.
Result<ArchivePtr> openFile(const QString& path, int flags)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = fileSource(path, &error);
    zip_t* archive = source ? zip_open_from_source(source, flags, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        QString reason = reasonOf(&error);
        zip_error_fini(&error);
        return fail(reason);
    }
    zip_error_fini(&error);
    return ArchivePtr(archive);
}

} // namespace

Result<void> writeJar(QByteArrayView templateBytes, const std::vector<Entry>& entries, const QString& path)
{
    keepCompressorMemory();
    auto zipFailed = [](const QString& reason) { return fail(u"生成JAR包失败："_s + reason); };
    auto opened = openInMemory(templateBytes, ZIP_CHECKCONS);
    if (!opened)
        return zipFailed(opened.error().message);
    SourcePtr source = std::move(opened->first);
    ArchivePtr archive = std::move(opened->second);

    for (const Entry& e : entries) {
        zip_source_t* data =
            zip_source_buffer(archive.get(), e.data.data(), static_cast<zip_uint64_t>(e.data.size()), 0);
        if (!data)
            return zipFailed(reasonOf(zip_get_error(archive.get())));
        const zip_int64_t index = zip_file_add(archive.get(), e.name.constData(), data, ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(data);
            return zipFailed(reasonOf(zip_get_error(archive.get())));
        }
        // A replaced template entry keeps its method and gets libzip's
        // default level; those are a few hundred bytes.
        if (zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                     static_cast<zip_uint32_t>(kDeflateLevel)) < 0)
            return zipFailed(reasonOf(zip_get_error(archive.get())));
    }
    if (zip_close(archive.get()) < 0)
        return zipFailed(reasonOf(zip_get_error(archive.get())));
    archive.release(); // closed and freed by zip_close

    // The new archive is in memory (fewer system calls per volume than
    // letting libzip write a temporary file); stream it to the file.
    if (zip_source_open(source.get()) < 0)
        return zipFailed(reasonOf(zip_source_error(source.get())));
    QFile out(path);
    const QString writeFailed = u"无法写入文件："_s + QDir::toNativeSeparators(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        zip_source_close(source.get());
        return fail(writeFailed);
    }
    std::array<char, 1 << 16> buffer{};
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_source_read(source.get(), buffer.data(), buffer.size());
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (out.write(buffer.data(), n) != n) {
            ok = false;
            break;
        }
    }
    zip_source_close(source.get());
    ok = ok && out.flush();
    out.close();
    if (!ok || out.error() != QFileDevice::NoError) {
        out.remove();
        return fail(writeFailed);
    }
    return {};
}

Result<QByteArray> readEntry(const QString& path, const QByteArray& name)
{
    if (!QFileInfo(path).isFile())
        return fail(u"找不到文件："_s + QDir::toNativeSeparators(path));
    auto opened = openFile(path, ZIP_RDONLY);
    if (!opened)
        return std::unexpected(opened.error());
    zip_t* archive = opened->get();

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(archive, name.constData(), 0, &st) < 0 || !(st.valid & ZIP_STAT_SIZE))
        return fail(u"找不到"_s + QString::fromUtf8(name));
    zip_file_t* file = zip_fopen(archive, name.constData(), 0);
    if (!file)
        return fail(reasonOf(zip_get_error(archive)));
    QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
    const zip_int64_t n = zip_fread(file, data.data(), st.size);
    const int closed = zip_fclose(file);
    if (n != static_cast<zip_int64_t>(st.size) || closed != 0)
        return fail(closed != 0 ? reasonOf(closed) : u"读取失败"_s);
    return data;
}

} // namespace vamo::archive
