// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "rig.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <random>

// Whatever arrives before START, the box holds at most nine decimal digits
// and START is enabled exactly when the box is not empty.
class TestRobustness : public QObject
{
    Q_OBJECT
private slots:
    void randomEventsBeforeStart();
    void suspendGivesOneCue();
};

namespace {

class Chaos
{
public:
    explicit Chaos(quint32 seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // Text as it may come from anywhere: digits, junk, invalid UTF-8, bidi
    // marks and right-to-left letters, control codes, now and then a megabyte.
    QString text()
    {
        switch (below(8)) {
        case 0:
            return QString::number(below(1'000'000));
        case 1:
            return QString::fromUtf8(bytes(below(16)));
        case 2:
            return QStringLiteral("\u202E12\u05D0\u05D1٣4");
        case 3:
            return QString(QChar(below(32)));
        case 4:
            return below(50) == 0 ? QString(1 << 20, QChar(u'0' + below(10))) : QStringLiteral("7");
        case 5:
            return QStringLiteral("12abc");
        case 6:
            return QString(QChar(0xD800 + below(0x800))); // a lone surrogate
        default:
            return QString(QChar(u'0' + below(10)));
        }
    }

    QByteArray bytes(int size)
    {
        QByteArray data(size, '\0');
        for (char &c : data)
            c = static_cast<char>(below(256));
        return data;
    }

    Qt::KeyboardModifiers modifiers()
    {
        static constexpr Qt::KeyboardModifier all[] = {Qt::ShiftModifier, Qt::ControlModifier,
                                                       Qt::AltModifier, Qt::MetaModifier};
        Qt::KeyboardModifiers mods;
        for (const auto m : all)
            if (below(4) == 0)
                mods |= m;
        return mods;
    }

    int key()
    {
        static constexpr int special[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Insert,
                                          Qt::Key_Home,      Qt::Key_End,    Qt::Key_Left,
                                          Qt::Key_Right,     Qt::Key_Return, Qt::Key_Escape,
                                          Qt::Key_Tab,       Qt::Key_Z,      Qt::Key_A};
        return below(3) == 0 ? special[below(std::size(special))] : Qt::Key_Space + below(95);
    }

private:
    std::mt19937 random_;
};

} // namespace

void TestRobustness::randomEventsBeforeStart()
{
    Rig rig;
    Chaos chaos(20261207);
    QLineEdit *box = rig.volumeBox();
    const QRegularExpression digits(QStringLiteral("^[0-9]{0,9}$"));
    for (int event = 0; event < 10'000; ++event) {
        switch (chaos.below(6)) {
        case 0:
        case 1: {
            QKeyEvent press(QEvent::KeyPress, chaos.key(), chaos.modifiers(), chaos.text());
            QApplication::sendEvent(box, &press);
            break;
        }
        case 2:
            QApplication::clipboard()->setText(
                chaos.below(2) ? chaos.text() : QString::fromLatin1(chaos.bytes(24)));
            box->paste();
            break;
        case 3: {
            QMimeData data;
            data.setText(chaos.text());
            const QPoint at(chaos.below(box->width()), chaos.below(box->height()));
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(box, &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(box, &drop);
            break;
        }
        case 4: {
            QInputMethodEvent commit;
            commit.setCommitString(chaos.text());
            QApplication::sendEvent(box, &commit);
            break;
        }
        default:
            box->setSelection(chaos.below(10), chaos.below(10) - 5);
            break;
        }
        const QString text = box->text();
        QVERIFY2(digits.match(text).hasMatch(),
                 qPrintable(QStringLiteral("event %1 left \"%2\"").arg(event).arg(text.left(40))));
        QCOMPARE(rig.startButton()->isEnabled(), !text.isEmpty());
    }
}

// A suspend of five minutes between two ticks: one cue, and texts from the clock.
void TestRobustness::suspendGivesOneCue()
{
    Rig rig;
    rig.start();
    rig.tickAt(10);
    rig.fire("Timer2");
    rig.tickAt(310);
    QCOMPARE(rig.sound.played, 2);
    QCOMPARE(rig.text("tTotal"), QStringLiteral("5m 10.00s"));
    QCOMPARE(rig.text("sDone"), QStringLiteral("6"));
    QCOMPARE(rig.text("vRem"), QStringLiteral("3290ml"));
    rig.tickAt(310.05);
    QCOMPARE(rig.sound.played, 2);
}

QTEST_MAIN(TestRobustness)
#include "tst_robustness.moc"
