// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "challenge.h"

#include <QTest>
#include <limits>
#include <random>
#include <vector>

using namespace slonk;

Q_DECLARE_METATYPE(slonk::TickDecision)

namespace {

// A boot clock reading some hours after boot: far from zero, as real ones are.
constexpr double Start = 86'461.237;

QStringList texts(const TickResult &r)
{
    return {QString::fromStdString(r.totalTime),  QString::fromStdString(r.remainingTime),
            QString::fromStdString(r.shotsDone),  QString::fromStdString(r.shotsRemaining),
            QString::fromStdString(r.volumeDone), QString::fromStdString(r.volumeRemaining)};
}

} // namespace

class TestChallenge : public QObject
{
    Q_OBJECT
private slots:
    void tick_data();
    void tick();
    void volume_data();
    void volume();
    void wholeChallenge();
    void wokenOnlyWhenDue_data();
    void wokenOnlyWhenDue();
};

// One tick after a previous one that saw `previous` shots.
void TestChallenge::tick_data()
{
    QTest::addColumn<double>("sinceStart");
    QTest::addColumn<int>("previous");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<TickDecision>("decision");
    QTest::addColumn<int>("lastShots");

    QTest::newRow("first tick cues at once")
        << 0.05 << 0 << QStringList{"0m 0.05s", "98m 59.95s", "1", "99", "35ml", "3465ml"}
        << TickDecision::Cue << 1;
    QTest::newRow("same minute changes only texts")
        << 30.0 << 1 << QStringList{"0m 30.00s", "98m 30.00s", "1", "99", "35ml", "3465ml"}
        << TickDecision::None << 1;
    QTest::newRow("second shot") << 60.02 << 1 << QStringList{"1m 0.02s", "97m 59.98s", "2",
                                                              "98",       "70ml",       "3430ml"}
                                 << TickDecision::Cue << 2;
    QTest::newRow("hundredth shot finishes")
        << 5940.02 << 99 << QStringList{"99m 0.02s", "-1m 59.98s", "100", "0", "3500ml", "0ml"}
        << TickDecision::Finish << 99;
    QTest::newRow("jump of minutes gives one cue")
        << 721.0 << 10 << QStringList{"12m 1.00s", "86m 59.00s", "13", "87", "455ml", "3045ml"}
        << TickDecision::Cue << 13;
    QTest::newRow("jump past the end finishes with clamped texts")
        << 6120.5 << 98 << QStringList{"102m 0.50s", "-4m 59.50s", "100", "0", "3500ml", "0ml"}
        << TickDecision::Finish << 98;
    QTest::newRow("clock behind START counts no shot")
        << -120.0 << 1 << QStringList{"-2m 0.00s", "101m 0.00s", "0", "100", "0ml", "3500ml"}
        << TickDecision::Cue << 0;
    QTest::newRow("NaN clock counts no shot")
        << std::numeric_limits<double>::quiet_NaN() << 0
        << QStringList{"0m 0.00s", "0m 0.00s", "0", "100", "0ml", "3500ml"} << TickDecision::None
        << 0;
}

void TestChallenge::tick()
{
    QFETCH(double, sinceStart);
    QFETCH(int, previous);
    QFETCH(QStringList, expected);
    QFETCH(TickDecision, decision);
    QFETCH(int, lastShots);

    ChallengeState state;
    startChallenge(state, Start);
    QCOMPARE(state.StartInstant, Start - 60);
    state.LastShots = static_cast<std::int16_t>(previous);
    const TickResult result = tickChallenge(state, Start + sinceStart, "35");
    QCOMPARE(texts(result), expected);
    QCOMPARE(result.decision, decision);
    QCOMPARE(state.LastShots, lastShots);
}

// The volume texts of the first tick (one shot done, 99 to go).
void TestChallenge::volume_data()
{
    QTest::addColumn<QString>("volume");
    QTest::addColumn<QString>("done");
    QTest::addColumn<QString>("remaining");

    QTest::newRow("zero") << "0"
                          << "0ml"
                          << "0ml";
    QTest::newRow("leading zeros") << "007"
                                   << "7ml"
                                   << "693ml";
    QTest::newRow("all zeros") << "0000"
                               << "0ml"
                               << "0ml";
    QTest::newRow("empty reads as zero") << ""
                                         << "0ml"
                                         << "0ml";
    QTest::newRow("junk reads as zero") << "12a"
                                        << "0ml"
                                        << "0ml";
    QTest::newRow("sign reads as zero") << "-5"
                                        << "0ml"
                                        << "0ml";
    QTest::newRow("space reads as zero") << " 5"
                                         << "0ml"
                                         << "0ml";
    QTest::newRow("non-ASCII digit reads as zero") << QString::fromUtf8("٣") << "0ml"
                                                   << "0ml";
    QTest::newRow("nine digits exact") << "999999999"
                                       << "999999999ml"
                                       << "98999999901ml";
    QTest::newRow("thirty digits exact") << "123456789012345678901234567890"
                                         << "123456789012345678901234567890ml"
                                         << "12222222112222222211222222221110ml";
}

void TestChallenge::volume()
{
    QFETCH(QString, volume);
    QFETCH(QString, done);
    QFETCH(QString, remaining);

    ChallengeState state;
    startChallenge(state, Start);
    const TickResult result = tickChallenge(state, Start + 0.05, volume.toStdString());
    QCOMPARE(QString::fromStdString(result.volumeDone), done);
    QCOMPARE(QString::fromStdString(result.volumeRemaining), remaining);
}

// 50 ms ticks with jitter and merged ticks, as a busy desktop delivers them:
// every cue on the first tick of its minute, one finish at 99 minutes.
void TestChallenge::wholeChallenge()
{
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> jitter(-0.004, 0.012);
    std::uniform_int_distribution<int> merged(0, 99);

    std::vector<double> ticks;
    for (double t = 0.05; t < 5945; t += 0.05) {
        if (merged(random) < 3) // about 3% of ticks merge into the next
            continue;
        ticks.push_back(t + jitter(random));
    }

    ChallengeState state;
    startChallenge(state, Start);
    std::vector<double> cues;
    double previous = -1; // any time before START
    int finishes = 0;
    for (const double t : ticks) {
        const TickResult result = tickChallenge(state, Start + t, "35");
        if (result.decision == TickDecision::Cue) {
            const double due = 60.0 * static_cast<double>(cues.size());
            QVERIFY2(previous < due && due <= t,
                     qPrintable(QStringLiteral("cue %1 at %2 s").arg(cues.size() + 1).arg(t)));
            cues.push_back(t);
        } else if (result.decision == TickDecision::Finish) {
            ++finishes;
            QVERIFY(previous < 5940 && 5940 <= t);
            QCOMPARE(QString::fromStdString(result.shotsDone), QStringLiteral("100"));
            QCOMPARE(QString::fromStdString(result.volumeRemaining), QStringLiteral("0ml"));
            break;
        }
        previous = t;
    }
    QCOMPARE(cues.size(), std::size_t(99));
    QCOMPARE(finishes, 1);
}

void TestChallenge::wokenOnlyWhenDue_data()
{
    QTest::addColumn<double>("start");
    QTest::newRow("hours after boot") << Start;
    QTest::newRow("just after boot") << 0.1;
    QTest::newRow("months after boot") << 12'345'678.901;
    QTest::newRow("a minute whose sum rounds down") << 14632.32283796745;
}

// A window that cannot be seen ticks only when something is due: each wake-up
// decides, a millisecond sooner would not, and nothing is missed.
void TestChallenge::wokenOnlyWhenDue()
{
    QFETCH(double, start);
    ChallengeState state;
    startChallenge(state, start);
    int cues = 0;
    for (;;) {
        const double due = nextDecision(state);
        ChallengeState early = state;
        const double before = due - 0.001;
        QCOMPARE(tickChallenge(early, before, "35").decision, TickDecision::None);
        const TickDecision decision = tickChallenge(state, due, "35").decision;
        if (decision == TickDecision::Finish) {
            QVERIFY(qAbs(due - start - 5940) < 1e-6);
            break;
        }
        QCOMPARE(decision, TickDecision::Cue);
        QVERIFY(++cues <= 99);
    }
    QCOMPARE(cues, 99);
}

QTEST_APPLESS_MAIN(TestChallenge)
#include "tst_challenge.moc"
