#include "appdirectory.h"
#include "clock.h"
#include "cuesound.h"
#include "finishbox.h"
#include "frmdrunk.h"
#include "programend.h"
#include "screenkeeper.h"
#include "termination.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    // Without this check Qt aborts with a core dump when there is no display.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("slonk: no display to open the window on (DISPLAY is not set)\n", stderr);
        return 1;
    }
    slonk::blockTerminationSignals();
    QApplication app(argc, argv);
    slonk::quitOnTerminationSignals(&app);
    QApplication::setApplicationName(QStringLiteral("slonk"));
    QApplication::setApplicationVersion(QStringLiteral(SLONK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.slonk.Slonk"));

    slonk::BootClock clock;
    slonk::EffectCueSound cueSound(slonk::applicationDirectory());
    slonk::MessageFinishBox finishBox;
    slonk::EventLoopEnd programEnd;
    slonk::ScreenSaverKeeper screenKeeper; // let go of when the program ends
    slonk::FrmDrunk window({clock, cueSound, finishBox, programEnd, screenKeeper});
    window.show();
    return QApplication::exec();
}
