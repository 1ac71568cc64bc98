// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#include "termination.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace slonk;

class TestTermination : public QObject
{
    Q_OBJECT
private slots:
    void endsWithoutSignalfd_data();
    void endsWithoutSignalfd();
    void staysBlockedForTheEventLoop_data();
    void staysBlockedForTheEventLoop();
};

void TestTermination::endsWithoutSignalfd_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM without a signalfd ends the program") << SIGTERM;
    QTest::newRow("SIGINT without a signalfd ends the program") << SIGINT;
    QTest::newRow("SIGHUP without a signalfd ends the program") << SIGHUP;
}

// A child with no file descriptor left to spare cannot make its signalfd; the
// signal sent to it afterwards must still end it by its default action.
void TestTermination::endsWithoutSignalfd()
{
    QFETCH(int, signal);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // Only async-signal-safe calls here: the parent may have threads. The
        // test runner's own handlers go, as the program has none.
        for (const int caught : {SIGTERM, SIGINT, SIGHUP})
            std::signal(caught, SIG_DFL);
        blockTerminationSignals();
        const rlimit none{0, 0};
        setrlimit(RLIMIT_NOFILE, &none);
        quitOnTerminationSignals(nullptr);
        raise(signal);
        _exit(0); // still blocked: the program could never be ended politely
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFSIGNALED(status), "the child outlived the signal");
    QCOMPARE(WTERMSIG(status), signal);
}

void TestTermination::staysBlockedForTheEventLoop_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM quits the event loop") << SIGTERM;
    QTest::newRow("SIGINT quits the event loop") << SIGINT;
    QTest::newRow("SIGHUP quits the event loop") << SIGHUP;
}

// With a signalfd, the signals stay blocked, so that none ends the program by
// its default action, and the event loop reads the one raised and quits.
void TestTermination::staysBlockedForTheEventLoop()
{
    using namespace std::chrono_literals;
    QFETCH(int, signal);
    sigset_t before;
    pthread_sigmask(SIG_SETMASK, nullptr, &before);
    blockTerminationSignals();
    int loop = -1;
    {
        QObject owner;
        quitOnTerminationSignals(&owner);
        sigset_t now;
        pthread_sigmask(SIG_SETMASK, nullptr, &now);
        for (const int blocked : {SIGTERM, SIGINT, SIGHUP})
            QVERIFY(sigismember(&now, blocked));
        raise(signal); // pending, for the loop to read
        // Only a bound for a loop that never reads it: the signal is there
        // before the loop starts.
        QTimer::singleShot(10s, &owner, [] { QCoreApplication::exit(1); });
        loop = QCoreApplication::exec();
    }
    // A signal left unread must not reach the test runner once unblocked.
    sigset_t raised;
    sigemptyset(&raised);
    sigaddset(&raised, signal);
    const timespec none{};
    while (sigtimedwait(&raised, nullptr, &none) == signal) {
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    QVERIFY2(loop == 0, "the event loop went on after the signal");
}

QTEST_GUILESS_MAIN(TestTermination)
#include "tst_termination.moc"
