// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ProgressFill.h"

#include <QTest>

using namespace vamo;

class ProgressFillTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The fill covers the fraction of the inside, kept within 0..1, and
    // follows the frame's size.
    void theFillCoversTheFractionOfTheInside()
    {
        ProgressFill bar;
        bar.setFrameShape(QFrame::Box);
        bar.resize(202, 12);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        auto* fill = bar.findChild<QFrame*>(QStringLiteral("Shape2"));
        QVERIFY(fill);
        QCOMPARE(fill->width(), 0);
        bar.setFraction(0.5);
        QCOMPARE(fill->geometry(), QRect(1, 1, 100, 10));
        bar.resize(402, 22);
        QCOMPARE(fill->geometry(), QRect(1, 1, 200, 20));
        bar.setFraction(1.7);
        QCOMPARE(bar.fraction(), 1.0);
        QCOMPARE(fill->width(), 400);
        bar.setFraction(-0.2);
        QCOMPARE(fill->width(), 0);
    }
};

QTEST_MAIN(ProgressFillTest)
#include "ProgressFillTest.moc"
