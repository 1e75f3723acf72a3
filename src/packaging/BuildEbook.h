// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/BookProject.h"
#include "model/BookSnapshot.h"
#include "model/Error.h"
#include "packaging/BuildFiles.h"

#include <QStringList>

#include <functional>

namespace vamo {

namespace archive {
class Packer;
}

struct BuildEnvironment {
    QString templateFolder;         // holds DuvEver.dll and DuvEverMoto.dll
    FileSteps* fileSteps = nullptr; // how finished files are put in place; null: the real file system
    // Deflates the volumes' entries; null: the build starts threads of its
    // own. A run of many books shares one (one build at a time uses it).
    archive::Packer* packer = nullptr;
    // The file listing the book folders of unfinished builds
    // (UnfinishedBuilds.h), for the start to find a killed build's files;
    // empty: no list.
    QString unfinishedList{};
};

struct BuildReport {
    QStringList jarPaths; // one per volume, in order, native separators
    QStringList jadPaths;
    QString message;    // "成功制做" ... as the single-book make shows it
    QString bookFolder; // the book folder, to open after the message
};

// The "打包进度" fraction: processed / total characters; a value above 1 is
// reported as 0.99. Called after the first piece of a chapter part and after
// every ninth.
using BuildProgressFn = std::function<void(double fraction)>;

// Turns the book, as `book` shows it, into JAR and JAD volumes in the book
// folder (save folder + book name) and reports them. Builds of one book folder
// exclude each other. Every volume is finished under a temporary name of the
// build's own and, once all are, put in place of an older JAR and JAD of the
// same name, each JAR before its JAD; then the older build's volumes beyond
// the new ones go (BuildFiles.h). The build writes the book information with
// a blank message as " ".
//
// The project the snapshot was taken from is not touched: after success the
// caller clears it for the next book with clearForNextBook(). On failure no
// temporary file stays behind, older JARs and JADs are untouched, and the
// error says why: the make command's name rules for the JAR and book names
// and "请添加章节内容" (MakeChecks.h; the make command has checked them, other
// callers are held to the same), "找不到电子书模板文件：" + path,
// "无法读取文件：" + path, "电子书模板文件损坏：" + path, "无法创建目录：" +
// path, "无法写入文件：" + path, "另一个程序正在制作这本书，请稍后再试：" +
// folder, "生成JAR包失败：" + reason, "内存不足，无法制作：" + book name (the
// memory ran out).
[[nodiscard]] Result<BuildReport> BuildEbook(const BookSnapshot& book, const BuildEnvironment& env,
                                             const BuildProgressFn& progress = {});

// What a successful build leaves of the project it was taken from, done by
// the caller on the project's own thread: a blank message becomes " ", the
// chapters, their texts and the book name are emptied, `num` is 0 and the
// JAR name a fresh dated one (BookProject::clearAfterBuild()).
void clearForNextBook(BookProject& book);

} // namespace vamo
