#include "rig.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTestEventList>

class TestRunning : public QObject
{
    Q_OBJECT
private slots:
    void typing_data();
    void typing();
    void copyIsSwallowed();
    void pasting_data();
    void pasting();
    void start();
    void startsOnce();
    void firstTickCues();
    void sameMinuteThenSecondShot();
    void wholeChallenge();
    void closingEndsAtAnyMoment();
};

void TestRunning::typing_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("after");

    const auto row = [](const char *name, const char *before, QTestEventList keys,
                        const char *after) { QTest::newRow(name) << before << keys << after; };
    QTestEventList keys;
    keys.addKeyClicks(QStringLiteral("12a."));
    row("digits pass, letters and dots do not", "", keys, "12");
    keys.clear();
    keys.addKeyClicks(QStringLiteral("1 ,-+e5"));
    row("space, comma, signs swallowed", "", keys, "15");
    keys.clear();
    keys.addKeyClick(Qt::Key_Return);
    keys.addKeyClick(Qt::Key_Escape);
    keys.addKeyClick(Qt::Key_Enter);
    row("Enter and Escape swallowed", "7", keys, "7");
    keys.clear();
    keys.addKeyClick(Qt::Key_End);
    keys.addKeyClick(Qt::Key_Backspace);
    keys.addKeyClick(Qt::Key_Backspace);
    row("Backspace empties the box", "35", keys, "");
    keys.addKeyClicks(QStringLiteral("4x0"));
    row("typing again after emptying", "35", keys, "40");
    keys.clear();
    keys.addKeyClicks(QStringLiteral("1234567890"));
    row("a tenth digit is refused", "", keys, "123456789");
    keys.clear();
    keys.addKeyClick(Qt::Key_End);
    keys.addKeyClick(Qt::Key_V, Qt::ControlModifier);
    row("Ctrl+V pastes nothing", "35", keys, "35");
    keys.clear();
    keys.addKeyClick(Qt::Key_Home);
    keys.addKeyClick(Qt::Key_End, Qt::ShiftModifier);
    keys.addKeyClick(Qt::Key_X, Qt::ControlModifier);
    row("Ctrl+X cuts nothing", "35", keys, "35");
    keys.clear();
    keys.addKeyClick(Qt::Key_Home);
    keys.addKeyClick(Qt::Key_Delete);
    keys.addKeyClick(Qt::Key_Right);
    keys.addKeyClicks(QStringLiteral("0"));
    row("Delete and arrows work as usual", "35", keys, "50");
}

void TestRunning::typing()
{
    QFETCH(QString, before);
    QFETCH(QTestEventList, keys);
    QFETCH(QString, after);

    Rig rig;
    QApplication::clipboard()->setText(QStringLiteral("55"));
    rig.volumeBox()->setText(before);
    keys.simulate(rig.volumeBox());
    QCOMPARE(rig.volumeBox()->text(), after);
    QCOMPARE(rig.startButton()->isEnabled(), !after.isEmpty());
}

void TestRunning::copyIsSwallowed()
{
    Rig rig;
    QApplication::clipboard()->setText(QStringLiteral("untouched"));
    rig.volumeBox()->selectAll();
    QTest::keyClick(rig.volumeBox(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("untouched"));
}

// Text that arrives without a typed character goes in only if the box then
// holds nothing but digits, and never more than nine.
void TestRunning::pasting_data()
{
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");

    // The primary selection (middle click) exists only on X11: the end-to-end tests try it.
    for (const char *route : {"Shift+Insert", "menu", "drop", "input method"}) {
        QTest::addRow("%s, junk", route) << route << "12abc"
                                         << "35";
        QTest::addRow("%s, digits", route) << route << "12"
                                           << "3512";
        QTest::addRow("%s, spaced digits", route) << route << "1 000"
                                                  << "35";
        QTest::addRow("%s, Arabic-Indic digit", route) << route << QString::fromUtf8("٣") << "35";
        QTest::addRow("%s, long digits", route) << route << QString(40, u'7') << "357777777";
    }
}

void TestRunning::pasting()
{
    QFETCH(QString, route);
    QFETCH(QString, pasted);
    QFETCH(QString, after);

    Rig rig;
    QLineEdit *box = rig.volumeBox();
    box->end(false);
    if (route == QStringLiteral("Shift+Insert")) {
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (route == QStringLiteral("menu")) {
        QApplication::clipboard()->setText(pasted);
        box->paste(); // what the context menu's Paste calls
    } else if (route == QStringLiteral("drop")) {
        QMimeData data;
        data.setText(pasted);
        const QPoint end(box->width() - 2, 5);
        QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &enter);
        QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &drop);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(pasted);
        QApplication::sendEvent(box, &commit);
    }
    QCOMPARE(box->text(), after);
}

void TestRunning::start()
{
    Rig rig;
    rig.volumeBox()->selectAll();
    rig.start();
    QCOMPARE(rig.window.size(), QSize(313, 219));
    QVERIFY(rig.startButton()->isHidden());
    QVERIFY(rig.timer("Timer1")->isActive());
    QVERIFY(!rig.volumeBox()->isEnabled());
    QCOMPARE(rig.volumeBox()->text(), QStringLiteral("35"));
    QVERIFY(!rig.volumeBox()->hasSelectedText());
    QCOMPARE(rig.sound.played, 0); // the first cue comes with the first tick
}

void TestRunning::startsOnce()
{
    Rig rig;
    rig.start();
    const double firstStart = rig.startedAt;
    rig.clock.reading += 10;
    rig.window.onStartClick();
    rig.startedAt = firstStart;
    rig.tickAt(10.5);
    QCOMPARE(rig.text("tTotal"), QStringLiteral("0m 10.50s"));
}

void TestRunning::firstTickCues()
{
    Rig rig;
    rig.start();
    rig.tickAt(0.05);
    const QStringList shown{rig.text("tTotal"), rig.text("tRem"),  rig.text("sDone"),
                            rig.text("sRem"),   rig.text("vDone"), rig.text("vRem")};
    QCOMPARE(shown, (QStringList{"0m 0.05s", "98m 59.95s", "1", "99", "35ml", "3465ml"}));
    QCOMPARE(rig.sound.played, 1);
    QVERIFY(rig.control("SLONK")->isVisibleTo(&rig.window));
    QVERIFY(rig.timer("Timer2")->isActive());

    rig.fire("Timer2");
    QVERIFY(rig.control("SLONK")->isHidden());
    QVERIFY(!rig.timer("Timer2")->isActive());
}

void TestRunning::sameMinuteThenSecondShot()
{
    Rig rig;
    rig.start();
    rig.tickAt(0.05);
    rig.fire("Timer2");
    rig.tickAt(30);
    QCOMPARE(rig.text("tTotal"), QStringLiteral("0m 30.00s"));
    QCOMPARE(rig.sound.played, 1);
    QVERIFY(rig.control("SLONK")->isHidden());
    QVERIFY(!rig.timer("Timer2")->isActive());

    rig.tickAt(60.02);
    QCOMPARE(rig.text("sDone"), QStringLiteral("2"));
    QCOMPARE(rig.text("vRem"), QStringLiteral("3430ml"));
    QCOMPARE(rig.sound.played, 2);
    QVERIFY(!rig.control("SLONK")->isHidden());
}

// 50 ms ticks from START to the finish, with Timer2 hiding each flash 600 ms on.
void TestRunning::wholeChallenge()
{
    Rig rig;
    int flashes = 0;
    QStringList atFinish;
    rig.box.whileShown = [&] {
        atFinish =
            QStringList{rig.text("sDone"), rig.text("sRem"), rig.text("vDone"), rig.text("vRem")};
        QVERIFY(rig.control("Picture1")->isVisibleTo(&rig.window));
        QCOMPARE(rig.control("Picture1")->pixmap().deviceIndependentSize(), QSizeF(312, 200));
        QVERIFY(!rig.timer("Timer1")->isActive());
        QCOMPARE(rig.end.ended, 0);
    };
    rig.start();
    double hideAt = -1;
    for (int tick = 1; rig.end.ended == 0 && tick < 200'000; ++tick) {
        const double now = tick * 0.05;
        if (hideAt >= 0 && now >= hideAt) {
            rig.clock.reading = rig.startedAt + hideAt;
            rig.fire("Timer2");
            hideAt = -1;
        }
        const bool wasShown = !rig.control("SLONK")->isHidden();
        rig.tickAt(now);
        if (!wasShown && !rig.control("SLONK")->isHidden()) {
            ++flashes;
            hideAt = now + 0.6;
        }
    }
    QCOMPARE(rig.sound.played, 99);
    QCOMPARE(flashes, 99);
    QCOMPARE(rig.box.shown, 1);
    QCOMPARE(rig.end.ended, 1);
    QCOMPARE(atFinish, (QStringList{"100", "0", "3500ml", "0ml"}));
    QCOMPARE(rig.text("tTotal").left(4), QStringLiteral("99m "));
    QVERIFY(!rig.timer("Timer1")->isActive());
    QVERIFY(!rig.timer("Timer2")->isActive());
}

// Closing the window leaves the event loop with exit code 0, before START as
// while a cue shows and Timer1 ticks.
void TestRunning::closingEndsAtAnyMoment()
{
    for (const bool running : {false, true}) {
        Rig rig;
        rig.window.show();
        if (running) {
            rig.start();
            rig.tickAt(0.05);
        }
        QTimer::singleShot(0, &rig.window, &QWidget::close);
        QTimer::singleShot(10'000, qApp, [] { QApplication::exit(1); }); // never hang a test
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(rig.end.ended, 0); // closing is not the finish
    }
}

QTEST_MAIN(TestRunning)
#include "tst_running.moc"
