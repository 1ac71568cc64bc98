#include "appdirectory.h"
#include "clock.h"
#include "cuesound.h"
#include "finishbox.h"
#include "frmdrunk.h"
#include "programend.h"

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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("slonk"));
    QApplication::setApplicationVersion(QStringLiteral(SLONK_VERSION));

    slonk::BootClock clock;
    slonk::EffectCueSound cueSound;
    slonk::MessageFinishBox finishBox;
    slonk::EventLoopEnd programEnd;
    slonk::FrmDrunk window({clock, cueSound, finishBox, programEnd, slonk::applicationDirectory()});
    window.show();
    return QApplication::exec();
}
