// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#pragma once

#include <functional>
#include <string>

// Qt aborts with a core dump when its platform plugin finds no display, so the
// program looks for one first and, finding none, says so in one line.
namespace slonk {

struct DisplayEnvironment
{
    std::string platform;          // -platform, else QT_QPA_PLATFORM: Qt's list, ';'-separated
    std::string waylandDisplay;    // WAYLAND_DISPLAY
    bool waylandSocket = false;    // WAYLAND_SOCKET set: a connection handed over, not probed
    std::string runtimeDir;        // XDG_RUNTIME_DIR
    std::string x11Display;        // -display, else DISPLAY
    bool x11DisplayOption = false; // x11Display came from -display
};

struct DisplayChoice
{
    std::string error;    // empty when a display was found, or left to Qt to find
    std::string platform; // a platform to name to Qt in place of its default; may be empty
};

struct DisplayProbes
{
    std::function<bool(const std::string &socketPath)> compositorAt;
    std::function<bool(const std::string &display)> xServerAt;
};

// Tries the platforms Qt would try, in its order (Wayland when WAYLAND_DISPLAY
// is set, then X11, unless a platform is named). A platform this cannot probe
// (offscreen, vnc, ...) is left to Qt. None reachable: the error names each
// one tried. When the first reachable is not the first tried, it is the
// platform to name to Qt, which would otherwise try the dead ones noisily.
DisplayChoice chooseDisplay(const DisplayEnvironment &environment, const DisplayProbes &probes);

// The environment as Qt reads it, with the command line's -platform and -display.
DisplayEnvironment displayEnvironment(const std::string &platformOption,
                                      const std::string &displayOption);

// The real probes: a connection to the compositor's socket, to the X server.
DisplayProbes systemDisplayProbes();

} // namespace slonk
