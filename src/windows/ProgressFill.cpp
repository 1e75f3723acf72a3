// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ProgressFill.h"

#include <algorithm>

namespace vamo {

ProgressFill::ProgressFill(QWidget* parent) : QFrame(parent), m_fill(new QFrame(this))
{
    m_fill->setObjectName(QStringLiteral("Shape2"));
    m_fill->setFrameShape(QFrame::NoFrame);
    m_fill->setAutoFillBackground(true);
    QPalette fill = m_fill->palette();
    fill.setColor(QPalette::Window, fill.color(QPalette::Highlight));
    m_fill->setPalette(fill);
    layOut();
}

void ProgressFill::setFraction(double fraction)
{
    m_fraction = std::clamp(fraction, 0.0, 1.0);
    layOut();
}

void ProgressFill::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    layOut();
}

void ProgressFill::layOut()
{
    const QRect inside = contentsRect();
    const int width = static_cast<int>(m_fraction * inside.width());
    const QRect geometry(inside.left(), inside.top(), width, inside.height());
    if (m_fill->geometry() != geometry)
        m_fill->setGeometry(geometry);
}

} // namespace vamo
