// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

namespace vamo {

// The progress bar of a window (promoted from a QFrame in its form, named
// `Shape1`): a frame whose fill `Shape2`, in the highlight colour, covers
// the fraction of its inside that setFraction() gives, whatever its size.
class ProgressFill : public QFrame {
    Q_OBJECT

public:
    explicit ProgressFill(QWidget* parent = nullptr);

    // `fraction` is kept within 0..1.
    void setFraction(double fraction);
    double fraction() const { return m_fraction; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    QFrame* m_fill;
    double m_fraction = 0;
};

} // namespace vamo
