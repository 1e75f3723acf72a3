// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>

namespace vamo {

// The command-line parser's messages about option values in the program's
// own words ("选项--maker缺少值", "选项--help不需要值"), installed over Qt's
// catalogue, whose wording they replace. Every other text is left to the
// catalogues below it.
class UsageMessages final : public QTranslator {
public:
    using QTranslator::QTranslator;

    [[nodiscard]] QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                                    int n = -1) const override;
    [[nodiscard]] bool isEmpty() const override { return false; }
};

// The refusal of an unknown option: the argument as it was typed, found by
// the name the parser gives (without its dashes and value) among the
// arguments before "--".
[[nodiscard]] QString unknownOptionMessage(const QStringList& arguments, const QString& name);

} // namespace vamo
