// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/RunningBuilds.h"

#include "packaging/BuildFiles.h"

#include <QDir>

#include <mutex>
#include <ranges>
#include <utility>
#include <vector>

namespace vamo::runningBuilds {

namespace {

struct Listed {
    std::mutex mutex;
    std::vector<std::pair<QString, Kind>> paths;
};

// Never destroyed: the removal holds its mutex until the process ends.
Listed& listed()
{
    static auto* state = new Listed;
    return *state;
}

} // namespace

bool listWhile(const QString& path, Kind kind, const std::function<bool()>& make)
{
    Listed& l = listed();
    const std::lock_guard lock(l.mutex);
    l.paths.emplace_back(path, kind);
    const bool made = make();
    if (!made)
        l.paths.pop_back();
    return made;
}

void unlist(const QString& path)
{
    Listed& l = listed();
    const std::lock_guard lock(l.mutex);
    for (auto it = l.paths.begin(); it != l.paths.end(); ++it) {
        if (it->first == path) {
            l.paths.erase(it);
            return;
        }
    }
}

void removeAllAndHold()
{
    Listed& l = listed();
    l.mutex.lock(); // for good: the process ends
    FileSteps steps;
    for (const auto& [path, kind] : l.paths) {
        if (kind == Kind::File)
            steps.remove(path);
    }
    // The folders after their files; the last made first.
    for (const auto& [path, kind] : std::ranges::reverse_view(l.paths)) {
        if (kind == Kind::Folder)
            QDir().rmdir(path);
    }
}

} // namespace vamo::runningBuilds
