// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "clock.h"

#include <QTest>

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void clockAdvances();
};

void TestPlatform::clockAdvances()
{
    const slonk::BootClock clock;
    const double first = clock.now();
    QVERIFY(first > 0);
    double later = first;
    for (int spins = 0; later == first && spins < 100'000'000; ++spins)
        later = clock.now();
    QVERIFY(later > first);
    QVERIFY(later - first < 1.0);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
