// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// The fair yardstick: the same window as Slonk's, from the same design table,
// fonts and challenge arithmetic, and nothing else. START shrinks it to the
// running layout and a 50 ms timer rewrites the six values from the boot clock;
// a due shot flashes the cue label. No sound, no session bus, no accessibility
// set-up, no window icon: the least this window can cost.
#include "challenge.h"
#include "design.h"
#include "fonts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QWidget>
#include <array>
#include <ctime>
#include <string>

namespace {

using namespace slonk;

QRect pixels(int left, int top, int width, int height)
{
    return {design::px(left), design::px(top), design::px(width), design::px(height)};
}

QRect pixels(design::Box box)
{
    return pixels(box.left, box.top, box.width, box.height);
}

// The clock Slonk reads: its first reading is START, which the bench shim stamps.
double bootSeconds()
{
    timespec reading{};
    clock_gettime(CLOCK_BOOTTIME, &reading);
    return static_cast<double>(reading.tv_sec) + static_cast<double>(reading.tv_nsec) * 1e-9;
}

class Window
{
public:
    Window()
    {
        setupFrame();
        setupLabels();
        setupVolumeBox();
        setupStartButton();
        setupPicture();
        setupTimers();
        volume_->setFocus();
        frame_.show();
    }

private:
    void setupFrame()
    {
        frame_.setWindowTitle(QString::fromLatin1(design::Title));
        frame_.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        frame_.setFixedSize(design::px(design::ClientWidth), design::px(design::ClientHeight));
    }

    void setupLabels()
    {
        for (auto it = design::Labels.rbegin(); it != design::Labels.rend(); ++it) {
            auto *created = new QLabel(QString::fromLatin1(it->text), &frame_);
            created->setObjectName(QString::fromLatin1(it->name));
            created->setGeometry(pixels(it->left, it->top, it->width, it->height));
            created->setFont(designFont(it->face, it->points, it->bold));
            created->setAlignment(it->alignment | Qt::AlignTop);
            created->setAutoFillBackground(true);
            created->setTextFormat(Qt::PlainText);
        }
        const auto find = [this](const char *name) {
            return frame_.findChild<QLabel *>(QString::fromLatin1(name),
                                              Qt::FindDirectChildrenOnly);
        };
        cueLabel_ = find("SLONK");
        values_ = {find("tTotal"), find("tRem"),  find("sDone"),
                   find("sRem"),   find("vDone"), find("vRem")};
        QPalette red = cueLabel_->palette();
        red.setColor(QPalette::WindowText, QColor(255, 0, 0));
        cueLabel_->setPalette(red);
        cueLabel_->hide();
    }

    void setupVolumeBox()
    {
        volume_ = new QLineEdit(QString::fromLatin1(design::DefaultVolume), &frame_);
        volume_->setGeometry(pixels(design::VolumeBox));
        volume_->setFont(designFont(design::Face::Tahoma, design::SmallPoints, false));
        volume_->setMaxLength(design::MaxVolumeDigits);
        volume_->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), volume_));
    }

    void setupStartButton()
    {
        start_ = new QPushButton(QString::fromLatin1(design::StartText), &frame_);
        start_->setGeometry(pixels(design::StartButton));
        start_->setFont(designFont(design::Face::Tahoma, design::SmallPoints, false));
        QObject::connect(start_, &QPushButton::clicked, &frame_, [this] { onStart(); });
    }

    // Hidden until the finish, as Slonk's is; never shown here.
    void setupPicture()
    {
        auto *picture = new QLabel(&frame_);
        picture->setGeometry(pixels(design::Picture));
        picture->setAutoFillBackground(true);
        picture->hide();
    }

    void setupTimers()
    {
        tick_.setInterval(design::TickMilliseconds);
        tick_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick_, &QTimer::timeout, &frame_, [this] { onTick(); });
        cueOff_.setInterval(design::CueMilliseconds);
        cueOff_.setSingleShot(true);
        QObject::connect(&cueOff_, &QTimer::timeout, cueLabel_, &QLabel::hide);
    }

    void onStart()
    {
        frame_.setFixedHeight(design::px(design::RunningClientHeight));
        start_->hide();
        volume_->setEnabled(false);
        volume_->deselect();
        startChallenge(state_, bootSeconds());
        tick_.start();
    }

    void onTick()
    {
        const TickResult tick = tickChallenge(state_, bootSeconds(), volume_->text().toStdString());
        const std::array<const std::string *, 6> texts{&tick.totalTime,  &tick.remainingTime,
                                                       &tick.shotsDone,  &tick.shotsRemaining,
                                                       &tick.volumeDone, &tick.volumeRemaining};
        for (std::size_t i = 0; i < values_.size(); ++i)
            values_[i]->setText(QString::fromStdString(*texts[i]));
        if (tick.decision == TickDecision::Cue) {
            cueLabel_->show();
            cueOff_.start();
        } else if (tick.decision == TickDecision::Finish) {
            QApplication::quit();
        }
    }

    QWidget frame_;
    QTimer tick_;
    QTimer cueOff_;
    ChallengeState state_;
    QLabel *cueLabel_ = nullptr;
    std::array<QLabel *, 6> values_{};
    QLineEdit *volume_ = nullptr;
    QPushButton *start_ = nullptr;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Window window;
    return QApplication::exec();
}
