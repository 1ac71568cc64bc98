// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "frmdrunk.h"

#include "cursorrest.h"
#include "design.h"
#include "fixedframe.h"
#include "fonts.h"
#include "readout.h"
#include "titlebar.h"
#include "volumeaccessible.h"

#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <span>

namespace slonk {
namespace {

QRect pixels(int left, int top, int width, int height)
{
    return {design::px(left), design::px(top), design::px(width), design::px(height)};
}

QRect pixels(design::Box box)
{
    return pixels(box.left, box.top, box.width, box.height);
}

void setColour(QWidget *widget, QPalette::ColorRole role, QColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// The cue label is a notification: screen readers speak it each time it
// shows, without taking the focus. Qt 6.8's announcement event would reach
// newer readers only; the role reaches every one.
class CueAccessible final : public QAccessibleWidget
{
public:
    explicit CueAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? static_cast<QLabel *>(widget())->text()
                                      : QAccessibleWidget::text(t);
    }
};

// A value rewritten each tick reads as a label does.
class ReadoutAccessible final : public QAccessibleWidget
{
public:
    explicit ReadoutAccessible(Readout *readout)
        : QAccessibleWidget(readout, QAccessible::StaticText)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? static_cast<Readout *>(widget())->text()
                                      : QAccessibleWidget::text(t);
    }
};

// The cue label, the values rewritten each tick, the volume box (as a window rather than a bare
// client area), for screen readers. Qt's accessibility cache owns what it returns.
QAccessibleInterface *accessibleFor(const QString &, QObject *object)
{
    if (auto *label = qobject_cast<QLabel *>(object);
        label && label->objectName() == QStringLiteral("SLONK"))
        return new CueAccessible(label);
    if (auto *readout = qobject_cast<Readout *>(object))
        return new ReadoutAccessible(readout);
    if (auto *box = qobject_cast<QLineEdit *>(object);
        box && box->objectName() == QStringLiteral("tbShotVol"))
        return new VolumeAccessible(box);
    if (auto *window = qobject_cast<FrmDrunk *>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

constexpr std::array IconSizes{SLONK_ICON_SIZES};
constexpr int TitleBarIconSize = 16;

// The clock icon in the given sizes. Read as PNG outright: left to guess, Qt
// loads every image plugin it has to ask each one whether the file is theirs.
QIcon clockIcon(std::span<const int> sizes)
{
    QIcon icon;
    for (const int size : sizes) {
        QImageReader png(QStringLiteral(":/slonk/icons/slonk-%1.png").arg(size), "png");
        png.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(png.read()));
    }
    return icon;
}

// Labels and readouts skip an unchanged text: only changed ones repaint.
template<typename Shown> void writeText(Shown *shown, const std::string &text)
{
    shown->setText(QString::fromStdString(text));
}

} // namespace

FrmDrunk::FrmDrunk(const Platform &platform, QWidget *parent) : QWidget(parent), platform_(platform)
{
    setupWindow();
    setupLabels();
    setupVolumeBox();
    setupStartButton();
    setupPicture();
    setupTimers();
    setupAccessibility();
    tbShotVol->setFocus();
}

void FrmDrunk::setupAccessibility()
{
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleFor), true);
    Q_UNUSED(factoryInstalled);
    // Interfaces made while the widgets were being built, before they had their
    // names and final classes, are made again through the factory.
    for (QObject *made : std::initializer_list<QObject *>{this, SLONK, tbShotVol, tTotal, tRem})
        QAccessible::deleteAccessibleInterface(
            QAccessible::uniqueId(QAccessible::queryAccessibleInterface(made)));
}

void FrmDrunk::setupWindow()
{
    setObjectName(QStringLiteral("frmDrunk"));
    setWindowTitle(QString::fromLatin1(design::Title));
    // A fixed frame: a title and a close button, no resizing, no maximising.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(design::px(design::ClientWidth), design::px(design::ClientHeight));
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        chooseOwnTitleBar();
        // Still there for a title bar that offers maximising (the user's choice).
        new FixedFrame(this); // owned by the window
    }
    // The title bar's size only: the rest follow the first frame.
    const int titleBar = static_cast<int>(std::ceil(TitleBarIconSize * devicePixelRatioF()));
    const auto fits = std::find_if(IconSizes.begin(), IconSizes.end(),
                                   [titleBar](int size) { return size >= titleBar; });
    setWindowIcon(clockIcon(std::array{fits == IconSizes.end() ? IconSizes.back() : *fits}));
}

bool FrmDrunk::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Paint:
        // Whatever the first frame does not show waits until it has been sent.
        if (!painted_) {
            painted_ = true;
            QMetaObject::invokeMethod(this, &FrmDrunk::afterFirstPaint, Qt::QueuedConnection);
        }
        break;
    case QEvent::Show:
        watchVisibility();
        break;
    case QEvent::WindowStateChange:
        visibilityChanged();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void FrmDrunk::watchVisibility()
{
    // Exposure is the platform window's: covered, unmapped, on another
    // workspace, or no longer given frames by the compositor.
    if (QWindow *window = windowHandle())
        window->installEventFilter(this); // once: Qt keeps one filter per object
}

void FrmDrunk::visibilityChanged()
{
    const QWindow *window = windowHandle();
    const bool seen = window && window->isExposed() && !(windowState() & Qt::WindowMinimized);
    if (seen == seen_)
        return;
    seen_ = seen;
    if (!started_ || finished_)
        return;
    if (seen) {
        // Before Qt paints for this exposure: the first frame is current.
        platform_.alarm.cancel();
        onTickTimer();
        if (!finished_)
            Timer1->start();
    } else {
        Timer1->stop();
        sleepUntilDue();
    }
}

void FrmDrunk::sleepUntilDue()
{
    // Nothing is drawn for nobody: the next cue or the finish wakes the program.
    platform_.alarm.setAt(nextDecision(state_), [this] {
        onTickTimer();
        if (!seen_ && !finished_)
            sleepUntilDue();
    });
}

void FrmDrunk::afterFirstPaint()
{
    // Every size for the task switcher and the dock; on X11 they all go to
    // the window manager at once, decoded.
    QIcon icon = clockIcon(IconSizes);
    // Scaled screens take the SVG, crisp at any size; elsewhere the PNGs serve
    // and the SVG engine is not loaded for nothing.
    if (devicePixelRatioF() > 1)
        icon.addFile(QStringLiteral(":/slonk/icons/slonk.svg"));
    setWindowIcon(icon);
}

void FrmDrunk::setupLabels()
{
    // Created from the bottom of the design up, so that earlier labels lie above.
    for (auto it = design::Labels.rbegin(); it != design::Labels.rend(); ++it) {
        const QString text = QString::fromLatin1(it->text);
        const Qt::Alignment alignment = it->alignment | Qt::AlignTop;
        QWidget *created = nullptr;
        if (it->everyTick) {
            created = new Readout(text, alignment, this);
        } else {
            auto *label = new QLabel(text, this);
            label->setAlignment(alignment);
            label->setTextFormat(Qt::PlainText);
            created = label;
        }
        created->setObjectName(QString::fromLatin1(it->name));
        created->setGeometry(pixels(it->left, it->top, it->width, it->height));
        created->setFont(designFont(it->face, it->points, it->bold));
        created->setAutoFillBackground(true); // opaque, as the design's labels are
        if (it->description)
            created->setAccessibleDescription(QString::fromLatin1(it->description));
    }
    const auto find = [this](const char *name) {
        return findChild<QLabel *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    };
    SLONK = find("SLONK");
    vRem = find("vRem");
    vDone = find("vDone");
    sRem = find("sRem");
    sDone = find("sDone");
    tRem = findChild<Readout *>(QStringLiteral("tRem"), Qt::FindDirectChildrenOnly);
    tTotal = findChild<Readout *>(QStringLiteral("tTotal"), Qt::FindDirectChildrenOnly);
    for (std::size_t i = 0; i < label.size(); ++i)
        label[i] = findChild<QLabel *>(QStringLiteral("label%1").arg(i));
    setColour(SLONK, QPalette::WindowText, QColor(255, 0, 0));
    SLONK->hide();
}

void FrmDrunk::setupVolumeBox()
{
    tbShotVol = new QLineEdit(QString::fromLatin1(design::DefaultVolume), this);
    tbShotVol->setObjectName(QStringLiteral("tbShotVol"));
    tbShotVol->setGeometry(pixels(design::VolumeBox));
    tbShotVol->setFont(designFont(design::Face::Tahoma, design::SmallPoints, false));
    tbShotVol->setMaxLength(design::MaxVolumeDigits);
    // Typed keys meet onVolumeChar; text that arrives without a key (paste from
    // a menu or the selection, drag and drop) meets the validator.
    tbShotVol->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), tbShotVol));
    tbShotVol->installEventFilter(this);
    cursorRest_ = new CursorRest(tbShotVol, this);
    label[5]->setBuddy(tbShotVol); // screen readers call the box "Shot Volume"
}

void FrmDrunk::setupStartButton()
{
    Command1 = new QPushButton(QString::fromLatin1(design::StartText), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(pixels(design::StartButton));
    Command1->setFont(designFont(design::Face::Tahoma, design::SmallPoints, false));
    connect(Command1, &QPushButton::clicked, this, &FrmDrunk::onStartClick);
    Command1->installEventFilter(this);
    // No volume, no challenge: START waits for at least one digit.
    connect(tbShotVol, &QLineEdit::textChanged, Command1,
            [this](const QString &text) { Command1->setEnabled(!text.isEmpty()); });
}

void FrmDrunk::setupPicture()
{
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAccessibleName(QStringLiteral("Finished"));
    Picture1->setAccessibleDescription(
        QStringLiteral("A smiling face: all hundred shots are done"));
    Picture1->setGeometry(pixels(design::Picture));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setAutoFillBackground(true);
    setColour(Picture1, QPalette::Window, QColor(212, 208, 200));
    Picture1->hide(); // its picture is decoded at the finish, not at start-up
}

void FrmDrunk::setupTimers()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(design::TickMilliseconds);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &FrmDrunk::onTickTimer);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(design::CueMilliseconds);
    // A coarse timer may fire up to 5 % late: the flash lasts 600 ms, not 630.
    Timer2->setTimerType(Qt::PreciseTimer);
    connect(Timer2, &QTimer::timeout, this, &FrmDrunk::onCueTimer);
}

int FrmDrunk::typedCode(const QKeyEvent &event)
{
    constexpr int Nothing = -1;
    const int key = event.key();
    const bool control = event.modifiers() & Qt::ControlModifier;
    // X11 reports Delete as code 127 and Tab as 9, but on the design's platform
    // neither types a character: one edits, the other moves the focus.
    if (key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return Nothing;
    if (key == Qt::Key_Backspace)
        return control ? 127 : 8;
    // Control letters type control codes whatever text the platform attaches:
    // Ctrl+H is 8, Ctrl+V 22.
    if (control && key >= Qt::Key_A && key <= Qt::Key_Z)
        return key - Qt::Key_A + 1;
    const QString text = event.text();
    if (text.isEmpty())
        return Nothing;
    return static_cast<int>(text.toUcs4().value(0));
}

bool FrmDrunk::onVolumeChar(const QKeyEvent &event)
{
    const int code = typedCode(event);
    return code == -1 || code == 8 || (code >= '0' && code <= '9');
}

bool FrmDrunk::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle()) {
        visibilityChanged();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto &key = *static_cast<QKeyEvent *>(event);
    if (watched == tbShotVol) {
        if (!onVolumeChar(key))
            return true;
        // Code 8 erases whichever key typed it, as Backspace does.
        if (typedCode(key) == 8 && key.key() != Qt::Key_Backspace) {
            tbShotVol->backspace();
            return true;
        }
    } else if (watched == Command1 && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
        // A focused button answers Enter as well as Space, as keyboard users expect.
        Command1->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmDrunk::onStartClick()
{
    if (started_ || tbShotVol->text().isEmpty())
        return;
    started_ = true;
    setFixedHeight(design::px(design::RunningClientHeight));
    Command1->hide();
    tbShotVol->setEnabled(false);
    cursorRest_->stop();
    // Hiding the focused button hands the focus to the box with its text
    // selected; the volume is fixed now, so nothing stays selected.
    tbShotVol->deselect();
    startChallenge(state_, platform_.clock.now());
    if (seen_)
        Timer1->start();
    else
        sleepUntilDue();
    platform_.screenKeeper.keepAwake();
}

void FrmDrunk::onTickTimer()
{
    const TickResult tick =
        tickChallenge(state_, platform_.clock.now(), tbShotVol->text().toStdString());
    writeText(tTotal, tick.totalTime);
    writeText(tRem, tick.remainingTime);
    writeText(sDone, tick.shotsDone);
    writeText(sRem, tick.shotsRemaining);
    writeText(vDone, tick.volumeDone);
    writeText(vRem, tick.volumeRemaining);
    switch (tick.decision) {
    case TickDecision::Finish:
        finish();
        break;
    case TickDecision::Cue:
        cue();
        break;
    case TickDecision::None:
        break;
    }
}

void FrmDrunk::cue()
{
    platform_.cueSound.play();
    SLONK->show();
    Timer2->start();
}

void FrmDrunk::finish()
{
    // Nothing ticks, cues or sounds after the finish.
    finished_ = true;
    Timer1->stop();
    Timer2->stop();
    platform_.alarm.cancel();
    QIcon smiley(QStringLiteral(":/slonk/smiley.png"));
    smiley.addFile(QStringLiteral(":/slonk/smiley@2x.png"));
    Picture1->setPixmap(smiley.pixmap(QSize(312, 200), devicePixelRatioF()));
    Picture1->show();
    platform_.screenKeeper.release(); // on its way while the box waits
    platform_.finishBox.show(this);
    platform_.programEnd.end();
}

void FrmDrunk::onCueTimer()
{
    SLONK->hide();
    Timer2->stop();
}

} // namespace slonk
