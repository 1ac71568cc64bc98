// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "duration.h"

#include <QTest>
#include <limits>

using namespace slonk;

class TestDuration : public QObject
{
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void extremes_data();
    void extremes();
    void numberText_data();
    void numberText();
};

void TestDuration::split_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("minutes");
    QTest::addColumn<QString>("rest");
    QTest::addColumn<QString>("text");

    QTest::newRow("two minutes and a fraction") << 125.678 << 2.0 << "5.68"
                                                << "2m 5.68s";
    QTest::newRow("zero") << 0.0 << 0.0 << "0.00"
                          << "0m 0.00s";
    QTest::newRow("first tick") << 0.05 << 0.0 << "0.05"
                                << "0m 0.05s";
    QTest::newRow("ninety-nine minutes") << 5940.0 << 99.0 << "0.00"
                                         << "99m 0.00s";
    QTest::newRow("hundred minutes") << 6000.0 << 100.0 << "0.00"
                                     << "100m 0.00s";
    QTest::newRow("rounding does not carry") << 59.996 << 0.0 << "60.00"
                                             << "0m 60.00s";
    QTest::newRow("just below zero") << -0.03 << -1.0 << "59.97"
                                     << "-1m 59.97s";
    QTest::newRow("exact half rounds down to even") << 0.125 << 0.0 << "0.12"
                                                    << "0m 0.12s";
    QTest::newRow("exact half rounds up to even") << 0.375 << 0.0 << "0.38"
                                                  << "0m 0.38s";
}

void TestDuration::split()
{
    QFETCH(double, seconds);
    QFETCH(double, minutes);
    QFETCH(QString, rest);
    QFETCH(QString, text);
    QCOMPARE(getM(seconds), minutes);
    QCOMPARE(QString::fromStdString(getS(seconds)), rest);
    QCOMPARE(QString::fromStdString(durationText(seconds)), text);
}

// Never met by the program, but a duration text must stay short and well formed.
void TestDuration::extremes_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");

    constexpr auto limits = std::numeric_limits<double>();
    QTest::newRow("NaN") << limits.quiet_NaN() << "0m 0.00s";
    QTest::newRow("plus infinity") << limits.infinity() << "60000000m 0.00s";
    QTest::newRow("minus infinity") << -limits.infinity() << "-60000000m 0.00s";
    QTest::newRow("largest double") << limits.max() << "60000000m 0.00s";
    QTest::newRow("negative denormal") << -limits.denorm_min() << "0m 0.00s";
    QTest::newRow("tiny negative") << -1e-300 << "-1m 60.00s";
}

void TestDuration::extremes()
{
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(durationText(seconds)), text);
}

void TestDuration::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("positive") << 100.0 << "100";
    QTest::newRow("negative") << -7.0 << "-7";
    QTest::newRow("no grouping, no exponent") << 99999999900.0 << "99999999900";
    QTest::newRow("fraction is rounded") << 2.5 << "3";
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "0";
}

void TestDuration::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(slonk::numberText(value)), text);
}

QTEST_APPLESS_MAIN(TestDuration)
#include "tst_duration.moc"
