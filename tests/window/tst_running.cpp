// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "rig.h"

#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTestEventList>
#include <utility>

using slonk::FrmDrunk;

class TestRunning : public QObject
{
    Q_OBJECT
private slots:
    void typing_data();
    void typing();
    void keyFilter_data();
    void keyFilter();
    void copyIsSwallowed();
    void startAnswersKeys_data();
    void startAnswersKeys();
    void cursorRests_data();
    void cursorRests();
    void pasting_data();
    void pasting();
    void start();
    void startsOnce();
    void firstTickCues();
    void sameMinuteThenSecondShot();
    void wholeChallenge();
    void hiddenSleepsUntilDue();
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
    keys.clear();
    keys.addKeyClick(Qt::Key_End);
    keys.addKeyClick(Qt::Key_H, Qt::ControlModifier);
    row("Ctrl+H erases as Backspace does", "35", keys, "3");
    keys.clear();
    keys.addKeyClick(Qt::Key_End);
    keys.addKeyClick(Qt::Key_Backspace, Qt::ControlModifier);
    row("Ctrl+Backspace erases nothing", "35", keys, "35");
}

// Keys as X11 delivers them, with the text it attaches.
void TestRunning::keyFilter_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("passes");

    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    const auto row = [](const char *name, int key, int modifiers, const QString &text,
                        bool passes) { QTest::newRow(name) << key << modifiers << text << passes; };
    // Character codes 8 and "0" to "9" pass.
    row("0", Qt::Key_0, none, QStringLiteral("0"), true);
    row("9", Qt::Key_9, none, QStringLiteral("9"), true);
    row("keypad 5", Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"), true);
    row("Backspace, code 8", Qt::Key_Backspace, none, QStringLiteral("\b"), true);
    row("Ctrl+H, code 8", Qt::Key_H, ctrl, QStringLiteral("\b"), true);
    // Every other code is swallowed, the neighbours of the digits first.
    row("slash, just below 0", Qt::Key_Slash, none, QStringLiteral("/"), false);
    row("colon, just above 9", Qt::Key_Colon, none, QStringLiteral(":"), false);
    row("Ctrl+Backspace, code 127", Qt::Key_Backspace, ctrl, QStringLiteral("\x7f"), false);
    row("Ctrl+V, code 22", Qt::Key_V, ctrl, QStringLiteral("\x16"), false);
    row("Ctrl+A, code 1", Qt::Key_A, ctrl, QStringLiteral("\x01"), false);
    row("Return, code 13", Qt::Key_Return, none, QStringLiteral("\r"), false);
    row("Escape, code 27", Qt::Key_Escape, none, QStringLiteral("\x1b"), false);
    row("space", Qt::Key_Space, none, QStringLiteral(" "), false);
    row("letter", Qt::Key_E, none, QStringLiteral("e"), false);
    row("Arabic-Indic three", Qt::Key_unknown, none, QString::fromUtf8("٣"), false);
    row("emoji beyond 16 bits", Qt::Key_unknown, none, QString::fromUtf8("🍺"), false);
    // Keys that type nothing keep working.
    row("Delete, though X11 attaches code 127", Qt::Key_Delete, none, QStringLiteral("\x7f"), true);
    row("Tab, though X11 attaches code 9", Qt::Key_Tab, none, QStringLiteral("\t"), true);
    row("Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, QString(), true);
    row("Left", Qt::Key_Left, none, QString(), true);
    row("Home", Qt::Key_Home, none, QString(), true);
    row("End", Qt::Key_End, none, QString(), true);
    row("Shift alone", Qt::Key_Shift, Qt::ShiftModifier, QString(), true);
}

void TestRunning::keyFilter()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(bool, passes);

    const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QCOMPARE(FrmDrunk::onVolumeChar(event), passes);
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

// A focused START answers Space and Enter; the box has the focus at load.
void TestRunning::startAnswersKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
}

void TestRunning::startAnswersKeys()
{
    QFETCH(int, key);
    Rig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));
    QCOMPARE(QApplication::focusWidget(), rig.volumeBox());
    QTest::keyClick(rig.volumeBox(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), rig.startButton());
    QTest::keyClick(rig.startButton(), Qt::Key(key));
    QVERIFY(rig.timer("Timer1")->isActive());
    QVERIFY(rig.startButton()->isHidden());
}

namespace {

// The box's own blink timer, which ticks at half the flash time: its id and the
// object it ticks for, or no id when the cursor does not blink.
std::pair<int, QObject *> blinkTimer(QLineEdit *box)
{
    QObjectList objects = box->findChildren<QObject *>();
    objects.prepend(box);
    for (QObject *object : objects)
        for (const auto &timer : QAbstractEventDispatcher::instance()->registeredTimers(object))
            if (timer.interval == QApplication::cursorFlashTime() / 2)
                return {timer.timerId, object};
    return {0, nullptr};
}

bool blinks(QLineEdit *box)
{
    return blinkTimer(box).first != 0;
}

} // namespace

// Ten seconds without input still the box's cursor, drawn; input sets it
// blinking again and the ten seconds count anew.
void TestRunning::cursorRests_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("blinksAfter");
    QTest::newRow("no input: it rests") << "none" << false;
    QTest::newRow("a digit wakes it") << "digit" << true;
    QTest::newRow("a refused letter wakes it") << "letter" << true;
    QTest::newRow("an arrow wakes it") << "arrow" << true;
    QTest::newRow("a click wakes it") << "click" << true;
    QTest::newRow("the focus coming back wakes it") << "focus" << true;
    QTest::newRow("START: the desktop's rate back, nothing counts") << "START" << false;
}

void TestRunning::cursorRests()
{
    QFETCH(QString, input);
    QFETCH(bool, blinksAfter);

    const int desktopFlashTime = QApplication::cursorFlashTime();
    QVERIFY(desktopFlashTime >= 2); // the platform blinks, or there is nothing to test
    Rig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));
    QLineEdit *box = rig.volumeBox();
    QVERIFY(blinks(box));
    QVERIFY(rig.timer("cursorRest")->isActive());
    const QImage drawn = box->grab().toImage();
    // The rest comes while the cursor is in its dark half: it must come back.
    const auto [blinkId, blinker] = blinkTimer(box);
    QTimerEvent blink(blinkId);
    QApplication::sendEvent(blinker, &blink);
    QVERIFY(box->grab().toImage() != drawn);

    rig.fire("cursorRest");
    QVERIFY(!blinks(box));
    QCOMPARE(box->grab().toImage(), drawn);

    if (input == QStringLiteral("digit")) {
        QTest::keyClick(box, Qt::Key_7);
    } else if (input == QStringLiteral("letter")) {
        QTest::keyClick(box, Qt::Key_E);
        QCOMPARE(box->text(), QStringLiteral("35"));
    } else if (input == QStringLiteral("arrow")) {
        QTest::keyClick(box, Qt::Key_Left);
    } else if (input == QStringLiteral("click")) {
        QTest::mouseClick(box, Qt::LeftButton);
    } else if (input == QStringLiteral("focus")) {
        rig.startButton()->setFocus(Qt::OtherFocusReason);
        box->setFocus(Qt::OtherFocusReason);
    } else if (input == QStringLiteral("START")) {
        rig.start();
        QCOMPARE(QApplication::cursorFlashTime(), desktopFlashTime);
    }
    QCOMPARE(blinks(box), blinksAfter);
    QCOMPARE(rig.timer("cursorRest")->isActive(), blinksAfter); // to rest again
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
    // A screen reader is told the volume is fixed, not offered a box to type into.
    const QAccessible::State said = QAccessible::queryAccessibleInterface(rig.volumeBox())->state();
    QVERIFY(said.readOnly && !said.editable);
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
    QCOMPARE(rig.timer("Timer2")->timerType(), Qt::PreciseTimer); // 600 ms, not up to 630

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

// Minimised, the window draws nothing and wakes only for the cues and the
// finish; shown again, its first frame is current and a flash still inside its
// 600 ms shows on.
void TestRunning::hiddenSleepsUntilDue()
{
    Rig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    rig.start();
    rig.tickAt(0.05);
    rig.fire("Timer2");
    rig.clock.reading += 1;
    rig.window.setWindowState(Qt::WindowMinimized);
    QVERIFY(!rig.timer("Timer1")->isActive());

    const auto sleepToAlarm = [&](int cues) {
        for (int wakes = 0; rig.sound.played < cues && rig.end.ended == 0; ++wakes) {
            QVERIFY2(rig.alarm.due && wakes < cues, "expected to sleep until the next cue");
            QVERIFY(rig.alarm.at > rig.clock.reading);
            rig.clock.reading = rig.alarm.at;
            std::exchange(rig.alarm.due, nullptr)();
            QVERIFY(!rig.timer("Timer1")->isActive());
        }
    };
    sleepToAlarm(50);
    QCOMPARE(rig.clock.reading - rig.startedAt, 49 * 60.0);
    QVERIFY(rig.control("SLONK")->isVisibleTo(&rig.window));

    rig.clock.reading += 0.25;
    rig.window.setWindowState(Qt::WindowNoState);
    QCOMPARE(rig.text("tTotal"), QStringLiteral("49m 0.25s"));
    QVERIFY(rig.timer("Timer1")->isActive());
    QVERIFY(!rig.alarm.due);
    QVERIFY(rig.control("SLONK")->isVisibleTo(&rig.window));
    QVERIFY(rig.timer("Timer2")->isActive());

    rig.window.setWindowState(Qt::WindowMinimized);
    sleepToAlarm(100);
    QCOMPARE(rig.sound.played, 99);
    QCOMPARE(rig.box.shown, 1);
    QCOMPARE(rig.end.ended, 1);
    QCOMPARE(rig.text("sDone"), QStringLiteral("100"));
    QVERIFY(!rig.alarm.due);
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
