// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "appdirectory.h"
#include "clock.h"
#include "commandline.h"
#include "cuesound.h"
#include "displayprobe.h"
#include "finishbox.h"
#include "frmdrunk.h"
#include "programend.h"
#include "screenkeeper.h"
#include "termination.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// --help and --version need no display: they are answered before Qt starts.
// Returns the exit status, or -1 to go on and open the window.
int answerCommandLine(int argc, char *argv[], std::string &platform, std::string &display)
{
    const slonk::CommandLine command =
        slonk::readCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.action) {
    case slonk::CommandAction::Help:
        std::fputs(slonk::usageText().c_str(), stdout);
        return 0;
    case slonk::CommandAction::Version:
        std::fputs("slonk " SLONK_VERSION "\n", stdout);
        return 0;
    case slonk::CommandAction::Error:
        std::fprintf(stderr, "slonk: %s\n", command.error.c_str());
        return 2;
    case slonk::CommandAction::Run:
        break;
    }
    platform = command.platform;
    display = command.display;
    return -1;
}

// The window and everything it uses, each of which ends within its own bound.
int runChallenge()
{
    slonk::BootClock clock;
    slonk::StreamCueSound cueSound(slonk::applicationDirectory(),
                                   {"Slonk", "app.slonk.Slonk", "app.slonk.Slonk", SLONK_VERSION});
    slonk::MessageFinishBox finishBox;
    slonk::EventLoopEnd programEnd;
    slonk::IdleInhibitor screenKeeper; // let go of when the program ends
    slonk::FrmDrunk window({clock, cueSound, finishBox, programEnd, screenKeeper});
    window.show();
    return QApplication::exec();
}

// What is left after them, Qt's own teardown, is given this long: the program
// ends within a second of being told to, whatever hangs.
constexpr std::chrono::milliseconds TeardownBound{500};

} // namespace

int main(int argc, char *argv[])
{
    std::string platformOption;
    std::string displayOption;
    if (const int status = answerCommandLine(argc, argv, platformOption, displayOption);
        status >= 0)
        return status;
    const slonk::DisplayChoice choice = slonk::chooseDisplay(
        slonk::displayEnvironment(platformOption, displayOption), slonk::systemDisplayProbes());
    if (!choice.error.empty()) {
        std::fprintf(stderr, "slonk: %s\n", choice.error.c_str());
        return 1;
    }
    if (!choice.platform.empty() && platformOption.empty()) // -platform outranks the environment
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(choice.platform));
    slonk::blockTerminationSignals();
    QApplication app(argc, argv);
    slonk::quitOnTerminationSignals(&app);
    QApplication::setApplicationName(QStringLiteral("slonk"));
    QApplication::setApplicationVersion(QStringLiteral(SLONK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.slonk.Slonk"));

    const int status = runChallenge();
    slonk::endWithin(TeardownBound, status);
    return status;
}
