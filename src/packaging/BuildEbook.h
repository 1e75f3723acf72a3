#pragma once

#include "model/BookProject.h"
#include "model/Error.h"

#include <QStringList>

#include <functional>

namespace vamo {

struct BuildEnvironment {
    QString programFolder;  // holds the workspace "vamobooktemp"
    QString templateFolder; // holds DuvEver.dll and DuvEverMoto.dll
};

struct BuildReport {
    QStringList jarPaths; // one per volume, in order
    QStringList jadPaths;
    QString message;    // "成功制做" ... as the single-book make shows it
    QString bookFolder; // the book folder, to open after the message
};

// The "打包进度" fraction, 0..0.99.
using BuildProgressFn = std::function<void(double fraction)>;

// Turns the book project into JAR and JAD volumes. On success the project is
// cleared for the next book; on failure it is left exactly as it was and the
// workspace is clean.
Result<BuildReport> BuildEbook(BookProject& book, const BuildEnvironment& env,
                               const BuildProgressFn& progress = {});

} // namespace vamo
