// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QVariant>

namespace vamo {

// Marks a text field whose content would be refused, as it is typed: a red
// frame, and `problem` as its tooltip; an empty `problem` gives the field its
// own look and tooltip back.
inline void flagField(QLineEdit* field, const QString& problem)
{
    static const char* const kOwnTip = "vamoOwnToolTip";
    if (!field->property(kOwnTip).isValid())
        field->setProperty(kOwnTip, field->toolTip());
    field->setToolTip(problem.isEmpty() ? field->property(kOwnTip).toString() : problem);
    field->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("QLineEdit { border: 2px solid #d00000; }"));
}

} // namespace vamo
