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
#include "realtime.h"
#include "screenkeeper.h"
#include "termination.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <optional>
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

// Once the window has closed, the process is gone within this, whatever
// hangs: the cue's share (300 ms), the buses' (250 ms, both buses side by
// side), and what is left for Qt's own teardown. A second in all from the
// close, with room for the close to reach the event loop and for the exit.
constexpr std::chrono::milliseconds EndBudget{800};

// The window and everything it uses, each of which ends within its share of
// the end's budget, which starts as the event loop returns.
int runChallenge(std::optional<slonk::EndWatch> &endWatch)
{
    slonk::BootClock clock;
    slonk::BootAlarm alarm;
    slonk::StreamCueSound cueSound(slonk::applicationDirectory(),
                                   {"Slonk", "app.slonk.Slonk", "app.slonk.Slonk", SLONK_VERSION});
    slonk::MessageFinishBox finishBox;
    slonk::EventLoopEnd programEnd;
    slonk::IdleInhibitor screenKeeper; // let go of when the program ends
    slonk::FrmDrunk window({clock, alarm, cueSound, finishBox, programEnd, screenKeeper});
    window.show();
    const int status = QApplication::exec();
    endWatch.emplace(slonk::realtime::now() + EndBudget, status);
    return status;
}

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
    // On X11 the window sends a few changed glyphs twenty times a second. Shared
    // memory would save copying them to the server but costs a round trip before
    // each repaint of pixels the server may still be reading: two wake-ups more
    // per tick, each of two threads.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    slonk::blockTerminationSignals();
    std::optional<slonk::EndWatch> endWatch;
    int status = 0;
    {
        QApplication app(argc, argv);
        slonk::quitOnTerminationSignals(&app);
        QApplication::setApplicationName(QStringLiteral("slonk"));
        QApplication::setApplicationVersion(QStringLiteral(SLONK_VERSION));
        QGuiApplication::setDesktopFileName(QStringLiteral("app.slonk.Slonk"));
        status = runChallenge(endWatch);
    } // Qt's own teardown, the last part the watch covers
    endWatch.reset();
    return status;
}
