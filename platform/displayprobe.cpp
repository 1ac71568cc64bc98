// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#include "displayprobe.h"

#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace slonk {
namespace {

std::vector<std::string> split(const std::string &list, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        const auto end = std::min(list.find(separator, start), list.size());
        if (end > start)
            parts.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string environmentValue(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace

DisplayChoice chooseDisplay(const DisplayEnvironment &environment, const DisplayProbes &probes)
{
    const bool byDefault = environment.platform.empty();
    std::vector<std::string> candidates = split(environment.platform, ';');
    if (byDefault) {
        if (environment.waylandDisplay.empty() && environment.x11Display.empty() &&
            !environment.waylandSocket)
            return {"no display: neither WAYLAND_DISPLAY nor DISPLAY is set", {}};
        if (!environment.waylandDisplay.empty() || environment.waylandSocket)
            candidates.push_back("wayland");
        candidates.push_back("xcb");
    }
    std::string tried;
    auto note = [&tried](const std::string &what) { tried += (tried.empty() ? "" : ", ") + what; };
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const std::string name = candidates[i].substr(0, candidates[i].find(':'));
        bool reachable = false;
        if (name.starts_with("wayland")) {
            // libwayland's own rules: an absolute name is the socket itself, a
            // relative one lies in XDG_RUNTIME_DIR, and wayland-0 by default.
            const std::string socket =
                environment.waylandDisplay.empty() ? "wayland-0" : environment.waylandDisplay;
            const std::string source = environment.waylandDisplay.empty()
                                           ? "WAYLAND_DISPLAY unset"
                                           : "WAYLAND_DISPLAY=" + socket;
            const std::string path = socket.starts_with('/') || environment.runtimeDir.empty()
                                         ? socket
                                         : environment.runtimeDir + "/" + socket;
            if (environment.waylandSocket)
                reachable = true;
            else if (!path.starts_with('/'))
                note("no Wayland compositor for " + socket + ": XDG_RUNTIME_DIR unset");
            else if (!(reachable = probes.compositorAt(path)))
                note("no Wayland compositor at " + path + " (" + source + ")");
        } else if (name == "xcb") {
            if (environment.x11Display.empty())
                note("no X server: DISPLAY unset");
            else if (!(reachable = probes.xServerAt(environment.x11Display)))
                note("no X server at " + environment.x11Display +
                     (environment.x11DisplayOption ? " (-display)" : " (DISPLAY)"));
        } else {
            return {}; // offscreen, vnc, eglfs, ...: Qt's to judge
        }
        if (reachable)
            return {{}, i > 0 ? candidates[i] : std::string()};
    }
    return {"no display" + (byDefault ? "" : " for platform '" + environment.platform + "'") +
                ": " + tried,
            {}};
}

DisplayEnvironment displayEnvironment(const std::string &platformOption,
                                      const std::string &displayOption)
{
    DisplayEnvironment environment;
    environment.platform =
        platformOption.empty() ? environmentValue("QT_QPA_PLATFORM") : platformOption;
    environment.waylandDisplay = environmentValue("WAYLAND_DISPLAY");
    environment.waylandSocket = !environmentValue("WAYLAND_SOCKET").empty();
    environment.runtimeDir = environmentValue("XDG_RUNTIME_DIR");
    environment.x11Display = displayOption.empty() ? environmentValue("DISPLAY") : displayOption;
    environment.x11DisplayOption = !displayOption.empty();
    return environment;
}

DisplayProbes systemDisplayProbes()
{
    return {
        [](const std::string &socketPath) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            if (socketPath.size() >= sizeof address.sun_path)
                return false;
            socketPath.copy(address.sun_path, socketPath.size());
            const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd < 0)
                return false;
            const bool connected =
                connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
            close(fd);
            return connected;
        },
        [](const std::string &display) {
            // The whole handshake, authorisation included, as Qt's X11 plugin does it.
            xcb_connection_t *connection = xcb_connect(display.c_str(), nullptr);
            const bool connected = xcb_connection_has_error(connection) == 0;
            xcb_disconnect(connection);
            return connected;
        },
    };
}

} // namespace slonk
