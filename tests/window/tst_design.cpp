// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "readout.h"
#include "rig.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>

// The window as designed, in pixels (twips / 15), before START.
class TestDesign : public QObject
{
    Q_OBJECT
private slots:
    void window();
    void icon();
    void controls_data();
    void controls();
    void focusAndTabOrder();
    void timers();
    void stacking();
    void colours();
    void noClipping_data();
    void noClipping();
    void readoutRepaints_data();
    void readoutRepaints();
    void accessibility();
    void volumeTextRequests_data();
    void volumeTextRequests();
    void volumeTextEdges_data();
    void volumeTextEdges();
    void volumeCharacterRects_data();
    void volumeCharacterRects();
};

using TextRequest = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int *,
                                                          int *) const;
// Before, at and after an offset.
constexpr std::array<TextRequest, 3> TextRequests{&QAccessibleTextInterface::textBeforeOffset,
                                                  &QAccessibleTextInterface::textAtOffset,
                                                  &QAccessibleTextInterface::textAfterOffset};

void TestDesign::window()
{
    Rig rig;
    QCOMPARE(rig.window.objectName(), QStringLiteral("frmDrunk"));
    QCOMPARE(rig.window.windowTitle(), QStringLiteral("100 Vured iv 100 Irizeze"));
    QCOMPARE(rig.window.minimumSize(), QSize(313, 273));
    QCOMPARE(rig.window.maximumSize(), QSize(313, 273));
    const Qt::WindowFlags flags = rig.window.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
}

// The clock icon in the title bar's size for the first frame, in every size after it.
void TestDesign::icon()
{
    Rig rig;
    QCOMPARE(rig.window.windowIcon().availableSizes(), QList<QSize>{QSize(16, 16)});
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    QTRY_COMPARE(
        rig.window.windowIcon().availableSizes(),
        (QList<QSize>{{16, 16}, {22, 22}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
}

void TestDesign::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("alignment"); // horizontal, for labels; 0 for the rest
    QTest::addColumn<bool>("shown");

    const auto row = [](const char *name, const char *text, QRect geometry, const char *family,
                        double points, bool bold, int alignment, bool shown) {
        QTest::newRow(name) << name << text << geometry << family << points << bold << alignment
                            << shown;
    };
    const int left = Qt::AlignLeft, centre = Qt::AlignHCenter, right = Qt::AlignRight;
    row("Command1", "START", {48, 232, 209, 33}, "Tahoma", 8.25, false, 0, true);
    row("tbShotVol", "35", {160, 190, 25, 19}, "Tahoma", 8.25, false, 0, true);
    row("SLONK", "SLONK!", {0, 48, 313, 73}, "Tahoma", 44.25, true, centre, false);
    row("label5", "Shot Volume", {40, 192, 113, 17}, "Tahoma", 8.25, false, right, true);
    row("label0", "ml", {190, 192, 41, 17}, "Tahoma", 8.25, false, left, true);
    row("vRem", "3500 ml", {168, 160, 145, 17}, "Tahoma", 8.25, false, centre, true);
    row("vDone", "0 ml", {8, 160, 145, 17}, "Tahoma", 8.25, false, centre, true);
    row("sRem", "100", {168, 136, 145, 33}, "Tahoma", 15.75, false, centre, true);
    row("label4", "Shots Remaining", {168, 120, 145, 17}, "Tahoma", 8.25, false, centre, true);
    row("sDone", "0", {8, 136, 145, 33}, "Tahoma", 15.75, false, centre, true);
    row("label3", "Shots Done", {8, 120, 145, 17}, "Tahoma", 8.25, false, centre, true);
    row("tRem", "100m 0s", {8, 80, 297, 33}, "Courier New", 15.75, true, centre, true);
    row("label2", "Remaining Time", {8, 64, 297, 17}, "Tahoma", 8.25, false, left, true);
    row("tTotal", "0m", {8, 24, 297, 33}, "Courier New", 15.75, true, centre, true);
    row("label1", "Total Time", {8, 8, 297, 17}, "Tahoma", 8.25, false, left, true);
}

void TestDesign::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(bool, bold);
    QFETCH(int, alignment);
    QFETCH(bool, shown);

    Rig rig;
    auto *widget = rig.window.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->property("text").toString(), text);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
    QCOMPARE(widget->isHidden(), !shown);
    const auto *label = qobject_cast<QLabel *>(widget);
    const auto *readout = qobject_cast<slonk::Readout *>(widget);
    if (label || readout) {
        QCOMPARE(
            int((label ? label->alignment() : readout->alignment()) & Qt::AlignHorizontal_Mask),
            alignment);
        QVERIFY(widget->autoFillBackground()); // opaque
        QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
    }
}

void TestDesign::focusAndTabOrder()
{
    Rig rig;
    QCOMPARE(rig.window.focusWidget(), rig.volumeBox());
    QWidget *next = rig.volumeBox()->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    QCOMPARE(next, rig.startButton());
}

void TestDesign::timers()
{
    Rig rig;
    QCOMPARE(rig.timer("Timer1")->interval(), 50);
    QCOMPARE(rig.timer("Timer1")->timerType(), Qt::PreciseTimer);
    QVERIFY(!rig.timer("Timer1")->isActive());
    QCOMPARE(rig.timer("Timer2")->interval(), 600);
    QVERIFY(!rig.timer("Timer2")->isActive());
    QCOMPARE(rig.timer("cursorRest")->interval(), 10'000); // GTK's rest for a blinking cursor
}

void TestDesign::stacking()
{
    Rig rig;
    const auto centreOf = [&](const char *name) {
        return rig.window.findChild<QWidget *>(QString::fromLatin1(name))->geometry().center();
    };
    rig.control("SLONK")->show();
    for (const char *hidden : {"label2", "tRem"})
        QCOMPARE(rig.window.childAt(centreOf(hidden)), rig.control("SLONK"));
    QCOMPARE(rig.window.childAt(centreOf("tTotal")), rig.control<QWidget>("tTotal"));

    rig.control("Picture1")->show();
    for (const char *hidden : {"tbShotVol", "Command1", "SLONK", "label1", "vRem"})
        QCOMPARE(rig.window.childAt(centreOf(hidden)), rig.control("Picture1"));
}

void TestDesign::colours()
{
    Rig rig;
    QCOMPARE(rig.control("SLONK")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QLabel *picture = rig.control("Picture1");
    QCOMPARE(picture->geometry(), QRect(0, 0, 313, 265));
    QCOMPARE(picture->palette().color(QPalette::Window), QColor(212, 208, 200));
    QVERIFY(picture->autoFillBackground());
    QCOMPARE(picture->alignment(), Qt::AlignLeft | Qt::AlignTop);
}

// Every text the window shows fits its box in the fonts actually used here,
// the longest running texts included.
void TestDesign::noClipping_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    Rig rig;
    for (QLabel *label : rig.window.findChildren<QLabel *>())
        if (!label->text().isEmpty())
            QTest::addRow("%s at load", qPrintable(label->objectName()))
                << label->objectName() << label->text();
    QTest::newRow("longest total time") << "tTotal"
                                        << "100m 59.99s";
    QTest::newRow("negative remaining time") << "tRem"
                                             << "-1m 59.98s";
    QTest::newRow("hundred shots done") << "sDone"
                                        << "100";
    QTest::newRow("nine-digit volume done") << "vDone"
                                            << "99999999900ml";
    QTest::newRow("nine-digit volume remaining") << "vRem"
                                                 << "99999999900ml";
    QTest::newRow("START") << "Command1"
                           << "START";
    QTest::newRow("default volume") << "tbShotVol"
                                    << "35";
}

void TestDesign::noClipping()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    Rig rig;
    auto *widget = rig.window.findChild<QWidget *>(name);
    const QFontMetricsF metrics(widget->font());
    QRectF room = widget->contentsRect();
    if (auto *box = qobject_cast<QLineEdit *>(widget)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
        room = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
        room.adjust(2, 0, -2, 0); // QLineEdit's own horizontal margin
    }
    const QSizeF needed(metrics.horizontalAdvance(text), metrics.height());
    QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
             qPrintable(QStringLiteral("\"%1\" in %2 needs %3 x %4, has %5 x %6")
                            .arg(text, QFontInfo(widget->font()).family())
                            .arg(needed.width())
                            .arg(needed.height())
                            .arg(room.width())
                            .arg(room.height())));
}

void TestDesign::readoutRepaints_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("mostWidth");     // of the repainted area, in pixels of 297
    QTest::addColumn<bool>("proportional"); // where no fixed-pitch font stands in

    // Two changed characters and the font's reach either side (31 and 59 px
    // with the Courier New stand-ins of Debian 12 and 13): a third at most.
    QTest::newRow("a hundredth") << "0m 10.05s"
                                 << "0m 10.10s" << 99 << false;
    QTest::newRow("a hundredth, proportional") << "0m 10.05s"
                                               << "0m 10.10s" << 99 << true;
    QTest::newRow("a second") << "12m 9.95s"
                              << "12m 10.00s" << 297 << false;
    QTest::newRow("a minute, the same length") << "9m 59.95s"
                                               << "8m 0.00s" << 297 << false;
    QTest::newRow("the sign") << "0m 0.05s"
                              << "-0m 0.05s" << 297 << false;
}

// A new reading repaints only the characters that changed, and the window then
// shows what a whole repaint would.
void TestDesign::readoutRepaints()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, mostWidth);
    QFETCH(bool, proportional);

    Rig rig;
    auto *readout = rig.control<slonk::Readout>("tTotal");
    if (proportional) {
        QFont font = readout->font();
        font.setFamily(QStringLiteral("DejaVu Sans"));
        readout->setFont(font);
        QVERIFY(!QFontInfo(readout->font()).fixedPitch());
    }
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    readout->setText(before);
    QRegion repainted;
    struct PaintWatch : QObject
    {
        QRegion *seen;
        explicit PaintWatch(QRegion *region) : seen(region) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                *seen += static_cast<QPaintEvent *>(event)->region();
            return false;
        }
    } watch(&repainted);
    QTRY_VERIFY(!readout->grab().isNull()); // the first frame is out
    QCoreApplication::processEvents();
    readout->installEventFilter(&watch);
    readout->setText(after);
    QTRY_VERIFY(!repainted.isEmpty());
    QVERIFY2(repainted.boundingRect().width() <= mostWidth,
             qPrintable(QStringLiteral("repainted %1 px").arg(repainted.boundingRect().width())));
    const QImage onScreen =
        rig.window.screen()->grabWindow(rig.window.winId()).toImage().copy(readout->geometry());
    QCOMPARE(onScreen, readout->grab().toImage().convertToFormat(onScreen.format()));
}

// What a screen reader is told: names for every control, and each value
// described by its heading.
void TestDesign::accessibility()
{
    Rig rig;
    const auto said = [&](const char *name, QAccessible::Text what) {
        QWidget *widget = rig.window.findChild<QWidget *>(QString::fromLatin1(name));
        return QAccessible::queryAccessibleInterface(widget)->text(what);
    };
    const QList<std::pair<const char *, const char *>> values{
        {"tTotal", "Total Time"},    {"tRem", "Remaining Time"}, {"sDone", "Shots Done"},
        {"sRem", "Shots Remaining"}, {"vDone", "Volume Done"},   {"vRem", "Volume Remaining"}};
    for (const auto &[value, heading] : values) {
        QCOMPARE(said(value, QAccessible::Description), QString::fromLatin1(heading));
        QCOMPARE(said(value, QAccessible::Name), rig.text(value));
    }
    QCOMPARE(said("tbShotVol", QAccessible::Name), QStringLiteral("Shot Volume"));
    QCOMPARE(said("Command1", QAccessible::Name), QStringLiteral("START"));
    QCOMPARE(said("Picture1", QAccessible::Name), QStringLiteral("Finished"));
    QCOMPARE(said("SLONK", QAccessible::Name), QStringLiteral("SLONK!"));
    QCOMPARE(QAccessible::queryAccessibleInterface(rig.control("SLONK"))->role(),
             QAccessible::Notification);
    QCOMPARE(QAccessible::queryAccessibleInterface(&rig.window)->role(), QAccessible::Window);
}

void TestDesign::volumeTextRequests_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("the default") << QStringLiteral("35");
    QTest::newRow("nine digits") << QStringLiteral("123456789");
}

// Every request a screen reader can make of the box answers, and answers the
// box's own text: every offset, every boundary, before, at and after. Qt's own
// interface for a line edit never returned from a word at the end.
void TestDesign::volumeTextRequests()
{
    QFETCH(QString, text);
    Rig rig;
    rig.volumeBox()->setText(text);
    QAccessibleTextInterface *read =
        QAccessible::queryAccessibleInterface(rig.volumeBox())->textInterface();
    QVERIFY(read);
    const int length = static_cast<int>(text.size());
    QCOMPARE(read->characterCount(), length);
    for (const TextRequest request : TextRequests) {
        for (const auto boundary :
             {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
              QAccessible::ParagraphBoundary, QAccessible::LineBoundary, QAccessible::NoBoundary}) {
            for (int offset = -2; offset <= length + 1; ++offset) {
                int start = 0;
                int end = 0;
                const QString said = (read->*request)(offset, boundary, &start, &end);
                const bool unit = 0 <= start && start < end && end <= length;
                if (!unit) // none, as Qt's own interfaces say it
                    QCOMPARE(std::tuple(offset, start, end), std::tuple(offset, -1, -1));
                QCOMPARE(said, unit ? text.mid(start, end - start) : QString());
            }
        }
    }
    int start = 0;
    int end = 0;
    // The caret after the last digit still reads the whole number as its word.
    QCOMPARE(read->textAtOffset(length, QAccessible::WordBoundary, &start, &end), text);
    // One attribute run covers the text, so that none of it is left unread.
    QCOMPARE(read->attributes(qMax(0, length - 1), &start, &end), QString());
    QCOMPARE(std::pair(start, end), std::pair(0, length));
}

void TestDesign::volumeTextEdges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("side"); // 0 before, 1 at, 2 after
    QTest::addColumn<QAccessible::TextBoundaryType>("boundary");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    const auto row = [](const char *name, const char *text, int side,
                        QAccessible::TextBoundaryType boundary, int offset, int start, int end) {
        QTest::newRow(name) << QString::fromLatin1(text) << side << boundary << offset << start
                            << end;
    };
    const int before = 0, at = 1, after = 2;
    row("no digit before the first", "35", before, QAccessible::CharBoundary, 0, -1, -1);
    row("no digit after the last", "35", after, QAccessible::CharBoundary, 1, -1, -1);
    row("no digit at the end", "35", at, QAccessible::CharBoundary, 2, -1, -1);
    row("no word before the number", "35", before, QAccessible::WordBoundary, 2, -1, -1);
    row("no line after the number", "35", after, QAccessible::LineBoundary, 0, -1, -1);
    row("nothing past the end", "35", at, QAccessible::WordBoundary, 3, -1, -1);
    row("no word in an empty box", "", at, QAccessible::WordBoundary, 0, -1, -1);
    row("-1 stands for the end", "35", at, QAccessible::WordBoundary, -1, 0, 2);
    row("the digit before the end", "35", before, QAccessible::CharBoundary, -1, 1, 2);
}

// Where there is nothing to read, the box says so as Qt's own text interfaces
// do, rather than with an empty span a reader could take for a unit.
void TestDesign::volumeTextEdges()
{
    QFETCH(QString, text);
    QFETCH(int, side);
    QFETCH(QAccessible::TextBoundaryType, boundary);
    QFETCH(int, offset);
    Rig rig;
    rig.volumeBox()->setText(text);
    const QAccessibleTextInterface *read =
        QAccessible::queryAccessibleInterface(rig.volumeBox())->textInterface();
    int start = 0;
    int end = 0;
    const QString said = (read->*TextRequests.at(side))(offset, boundary, &start, &end);
    QTEST(start, "start");
    QTEST(end, "end");
    QCOMPARE(said, start < 0 ? QString() : text.mid(start, end - start));
}

void TestDesign::volumeCharacterRects_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::newRow("the default") << QStringLiteral("35") << 2;
    QTest::newRow("nine digits from the first") << QStringLiteral("123456789") << 0;
    QTest::newRow("nine digits scrolled to the last") << QStringLiteral("123456789") << 9;
}

// Magnifiers and a reader's flat review go where each digit is drawn: the
// pixels that change with a digit lie in its rectangle, wherever the box has
// scrolled. After the last digit comes a caret's place, with no width.
void TestDesign::volumeCharacterRects()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    Rig rig;
    QLineEdit *box = rig.volumeBox();
    const QAccessibleTextInterface *read =
        QAccessible::queryAccessibleInterface(box)->textInterface();
    // Digits are all as wide as one another, so a changed one moves nothing else.
    const auto drawn = [&](const QString &digits) {
        box->setText(digits);
        box->setCursorPosition(cursor);
        return box->grab().toImage(); // the box scrolls as it paints
    };
    const QImage image = drawn(text);
    QList<QRect> rects;
    for (int offset = 0; offset <= text.size(); ++offset) {
        const QRect rect = read->characterRect(offset);
        rects.append({box->mapFromGlobal(rect.topLeft()), rect.size()});
    }
    int shown = 0;
    for (int i = 0; i < text.size(); ++i) {
        QString changed = text;
        changed[i] = text[i] == u'8' ? u'1' : u'8';
        const QImage other = drawn(changed);
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != other.pixel(x, y))
                    ink |= QRect(x, y, 1, 1);
        shown += !ink.isEmpty();
        if (!ink.isEmpty())
            QCOMPARE(std::pair(i, rects[i] | ink), std::pair(i, rects[i]));
    }
    QVERIFY(shown >= 2);
    const QRect last = rects[text.size() - 1];
    QCOMPARE(rects.back(), QRect(last.x() + last.width(), last.y(), 0, last.height()));
}

QTEST_MAIN(TestDesign)
#include "tst_design.moc"
