// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/BookProject.h"

#include "model/Site.h"

#include <algorithm>

namespace vamo {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kEmpty;
} // namespace

QString datedJarName(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("vamo-") + two(d.month()) + two(d.day()) + two(t.minute()) + two(t.second());
}

QStringList BookProject::jarSizeItems()
{
    return {QStringLiteral("无限制豪华机"), QStringLiteral("500KB大内存机"), QStringLiteral("250KB高端机"),
            QStringLiteral("120KB中端机"), QStringLiteral("60KB低端机")};
}

QStringList BookProject::phoneModelItems()
{
    return {QStringLiteral("Nokia,索爱,国产等"), QStringLiteral("部分MOTO机(V3,L7等)")};
}

BookProject::BookProject(const Clock& clock, QObject* parent) : QObject(parent), m_clock(clock)
{
    m_settings.maker = site::defaultMaker();
    m_settings.message = site::defaultMessage();
}

void BookProject::setSettings(const BookSettings& s)
{
    if (s == m_settings)
        return;
    m_settings = s;
    Q_EMIT settingsChanged();
}

#define VAMO_SETTER(name, field, type)                                                                                 \
    void BookProject::name(type v)                                                                                     \
    {                                                                                                                  \
        if (m_settings.field == v)                                                                                     \
            return;                                                                                                    \
        m_settings.field = v;                                                                                          \
        Q_EMIT settingsChanged();                                                                                      \
    }
VAMO_SETTER(setSaveFolder, saveFolder, const QString&)
VAMO_SETTER(setMaker, maker, const QString&)
VAMO_SETTER(setBookName, bookName, const QString&)
VAMO_SETTER(setMessage, message, const QString&)
VAMO_SETTER(setJarName, jarName, const QString&)
VAMO_SETTER(setJarSize, jarSize, int)
VAMO_SETTER(setPhoneModel, phoneModel, int)
#undef VAMO_SETTER

void BookProject::initialise(const QString& defaultSaveFolder)
{
    BookSettings s;
    s.saveFolder = defaultSaveFolder;
    s.maker = site::defaultMaker();
    s.message = site::defaultMessage();
    s.jarName = datedJarName(m_clock.now());
    s.jarSize = 0;
    s.phoneModel = 0;
    setSettings(s);
    m_frame = 0;
    m_num = 0;
}

void BookProject::appendChapterName(const QString& name)
{
    m_names.append(name);
    Q_EMIT chaptersChanged();
}

void BookProject::appendChapterNames(const QStringList& names)
{
    if (names.isEmpty())
        return;
    m_names.append(names);
    Q_EMIT chaptersChanged();
}

void BookProject::setChapterName(int position, const QString& name)
{
    if (position < 0 || position >= chapterCount())
        return;
    m_names[position] = name;
    Q_EMIT chaptersChanged();
}

void BookProject::clearChapterNames()
{
    m_deleted = {};
    if (m_names.isEmpty())
        return;
    m_names.clear();
    Q_EMIT chaptersChanged();
}

const QString& BookProject::chaptertext(int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return kEmpty;
    return m_text[static_cast<std::size_t>(slot)];
}

Result<void> BookProject::setChaptertext(int slot, const QString& text)
{
    if (slot < 0 || slot >= kSlotCount)
        return fail(QStringLiteral("章节序号超出范围(%1)").arg(slot));
    m_text[static_cast<std::size_t>(slot)] = text;
    return {};
}

Result<void> BookProject::save(QString savetext)
{
    if (m_num < 0 || m_num >= kSlotCount)
        return setChaptertext(m_num, QString()); // the out-of-range error
    m_text[static_cast<std::size_t>(m_num)] = storedChapterText(std::move(savetext));
    return {};
}

void BookProject::resetForNew(const QString& defaultSaveFolder)
{
    BookSettings s = m_settings;
    s.saveFolder = defaultSaveFolder;
    s.jarName = datedJarName(m_clock.now());
    s.bookName.clear();
    s.maker = site::defaultMaker();
    s.message = site::defaultMessage();
    s.jarSize = 0;
    setSettings(s);
    for (int i = 0; i < chapterCount() && i < kSlotCount; ++i)
        m_text[static_cast<std::size_t>(i)].clear();
    clearChapterNames();
}

BookSettings settingsAfterBuild(BookSettings settings, const QDateTime& now)
{
    settings.jarName = datedJarName(now);
    settings.bookName.clear();
    return settings;
}

QString storedChapterText(QString text)
{
    text += kCrLf;
    return text;
}

void BookProject::clearAfterBuild()
{
    m_num = 0;
    for (auto& t : m_text)
        t.clear();
    setSettings(settingsAfterBuild(m_settings, m_clock.now()));
    clearChapterNames();
}

QString chapterLimitMessage(int limit)
{
    return limit == BookProject::kWizardChapterLimit ? QStringLiteral("章节数量达到上限（%1）").arg(limit)
                                                     : QStringLiteral("章节数量达到上限(%1)").arg(limit);
}

Result<void> BookProject::prepareAdd()
{
    if (chapterCount() >= kChapterLimit)
        return fail(chapterLimitMessage(kChapterLimit));
    m_num = static_cast<qint16>(chapterCount());
    return {};
}

QString BookProject::proposedChapterName(int slot) { return QStringLiteral("第%1章").arg(slot + 1); }

bool BookProject::prepareEdit(int selected)
{
    if (selected < 0 || selected >= chapterCount())
        return false;
    m_num = static_cast<qint16>(selected);
    return true;
}

void BookProject::swapChapters(int a, int b)
{
    m_names.swapItemsAt(a, b);
    std::swap(m_text[static_cast<std::size_t>(a)], m_text[static_cast<std::size_t>(b)]);
    Q_EMIT chaptersChanged();
}

int BookProject::deleteChapter(int selected)
{
    const int n = chapterCount();
    if (selected < 0 || selected >= n)
        return selected;
    const int k = selected;
    m_deleted = {{k}, {m_names.at(k)}, {m_text[static_cast<std::size_t>(k)]}};
    if (k == n - 1) {
        m_text[static_cast<std::size_t>(k)].clear();
        m_names.removeAt(k);
        Q_EMIT chaptersChanged();
        return k == 0 ? -1 : k - 1;
    }
    for (int i = k; i <= n - 2; ++i)
        m_text[static_cast<std::size_t>(i)] = std::move(m_text[static_cast<std::size_t>(i) + 1]);
    m_text[static_cast<std::size_t>(n - 1)].clear();
    m_num = static_cast<qint16>(k);
    m_names.removeAt(k);
    Q_EMIT chaptersChanged();
    return k;
}

int BookProject::moveUp(int selected)
{
    if (selected <= 0 || selected >= chapterCount() || chapterCount() <= 1)
        return selected;
    swapChapters(selected, selected - 1);
    return selected - 1;
}

int BookProject::moveDown(int selected)
{
    const int n = chapterCount();
    if (selected < 0 || selected >= n - 1 || n <= 1)
        return selected;
    swapChapters(selected, selected + 1);
    return selected + 1;
}

BookProject::Chapters BookProject::takeChapters()
{
    Chapters all{m_names, {}};
    for (int i = 0; i < chapterCount(); ++i)
        all.texts.append(std::move(m_text[static_cast<std::size_t>(i)]));
    return all;
}

void BookProject::putChapters(Chapters chapters)
{
    const int before = chapterCount();
    m_names = std::move(chapters.names);
    for (int i = 0; i < kSlotCount; ++i) {
        if (i < chapters.texts.size())
            m_text[static_cast<std::size_t>(i)] = std::move(chapters.texts[i]);
        else if (i < before)
            m_text[static_cast<std::size_t>(i)].clear();
    }
    Q_EMIT chaptersChanged();
}

int BookProject::deleteChapters(QList<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    positions.removeIf([this](int p) { return p < 0 || p >= chapterCount(); });
    if (positions.isEmpty())
        return -1;
    if (positions.size() == 1)
        return deleteChapter(positions.front());
    Chapters all = takeChapters();
    Deleted deleted{positions, {}, {}};
    Chapters kept;
    for (int i = 0, d = 0; i < all.names.size(); ++i) {
        if (d < positions.size() && positions[d] == i) {
            deleted.names.append(all.names[i]);
            deleted.texts.append(std::move(all.texts[i]));
            ++d;
        } else {
            kept.names.append(all.names[i]);
            kept.texts.append(std::move(all.texts[i]));
        }
    }
    const int count = static_cast<int>(kept.names.size());
    m_deleted = std::move(deleted);
    putChapters(std::move(kept));
    m_num = static_cast<qint16>(std::min(positions.front(), count));
    return count == 0 ? -1 : std::min(positions.front(), count - 1);
}

QList<int> BookProject::moveChapters(QList<int> positions, int before)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    positions.removeIf([this](int p) { return p < 0 || p >= chapterCount(); });
    before = std::clamp(before, 0, chapterCount());
    if (positions.isEmpty())
        return {};
    Chapters all = takeChapters();
    Chapters moving;
    Chapters rest;
    int at = 0; // where the moved ones go among the rest
    for (int i = 0, m = 0; i < all.names.size(); ++i) {
        if (i == before)
            at = static_cast<int>(rest.names.size());
        Chapters& to = m < positions.size() && positions[m] == i ? (++m, moving) : rest;
        to.names.append(all.names[i]);
        to.texts.append(std::move(all.texts[i]));
    }
    if (before == all.names.size())
        at = static_cast<int>(rest.names.size());
    QList<int> moved;
    for (int i = 0; i < moving.names.size(); ++i) {
        rest.names.insert(at + i, moving.names[i]);
        rest.texts.insert(at + i, std::move(moving.texts[i]));
        moved.append(at + i);
    }
    putChapters(std::move(rest));
    return moved;
}

Result<QList<int>> BookProject::undoDelete()
{
    if (m_deleted.positions.isEmpty())
        return QList<int>{};
    if (chapterCount() + m_deleted.positions.size() > kChapterLimit)
        return fail(chapterLimitMessage(kChapterLimit));
    Deleted deleted = std::move(m_deleted);
    m_deleted = {};
    Chapters all = takeChapters();
    QList<int> back;
    for (int i = 0; i < deleted.positions.size(); ++i) {
        const int at = std::min(deleted.positions[i], static_cast<int>(all.names.size()));
        all.names.insert(at, deleted.names[i]);
        all.texts.insert(at, std::move(deleted.texts[i]));
        back.append(at);
    }
    putChapters(std::move(all));
    return back;
}

void BookProject::prepareBatchImport(bool clearExisting)
{
    if (chapterCount() > 0 && clearExisting) {
        clearChapterNames();
        m_num = 0;
    } else {
        m_num = static_cast<qint16>(chapterCount());
    }
}

} // namespace vamo
