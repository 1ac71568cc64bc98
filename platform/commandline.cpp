// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#include "commandline.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace slonk {
namespace {

// Qt's own options, read by QGuiApplication, QApplication and the X11
// platform plugin; Qt takes them with one dash or two.
constexpr std::array<std::string_view, 16> QtOptionsWithValue{"platform",
                                                              "platformpluginpath",
                                                              "platformtheme",
                                                              "plugin",
                                                              "qwindowgeometry",
                                                              "qwindowicon",
                                                              "qwindowtitle",
                                                              "geometry",
                                                              "title",
                                                              "icon",
                                                              "session",
                                                              "style",
                                                              "stylesheet",
                                                              "display",
                                                              "name",
                                                              "visual"};
constexpr std::array<std::string_view, 5> QtFlags{"reverse", "testability", "nograb", "dograb",
                                                  "widgetcount"};
// Options Qt takes only as -name=value.
constexpr std::array<std::string_view, 3> QtOptionsWithEquals{
    "style=", "stylesheet=", "qmljsdebugger="};

template<std::size_t N>
bool isOneOf(std::string_view name, const std::array<std::string_view, N> &names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

CommandLine readCommandLine(const std::vector<std::string> &arguments)
{
    CommandLine command;
    auto fail = [&command](std::string error) {
        command.action = CommandAction::Error;
        command.error = std::move(error);
        return command;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h" || argument == "--version") {
            command.action = argument == "--version" ? CommandAction::Version : CommandAction::Help;
            return command;
        }
        if (argument.size() < 2 || argument[0] != '-')
            return fail("unexpected argument '" + argument + "': slonk takes no file or word");
        else if (argument == "--")
            return i + 1 < arguments.size() ? fail("unexpected argument '" + arguments[i + 1] +
                                                   "': slonk takes no file or word")
                                            : command;
        else {
            std::string_view name(argument);
            name.remove_prefix(name.starts_with("--") ? 2 : 1);
            if (isOneOf(name, QtFlags))
                continue;
            if (std::any_of(QtOptionsWithEquals.begin(), QtOptionsWithEquals.end(),
                            [name](std::string_view prefix) { return name.starts_with(prefix); }))
                continue;
            if (!isOneOf(name, QtOptionsWithValue))
                return fail("unknown option '" + argument + "' (try 'slonk --help')");
            if (i + 1 >= arguments.size())
                return fail("option '" + argument + "' needs a value");
            const std::string &value = arguments[++i];
            if (name == "platform")
                command.platform = value;
            else if (name == "display")
                command.display = value;
        }
    }
    return command;
}

std::string usageText()
{
    return "Usage: slonk [OPTION]...\n"
           "Paces one person through a 100-shot challenge: a shot at START and one more\n"
           "at each following whole minute, each with a sound and a big red flash.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Qt's own options work too, for instance -platform NAME, -display NAME.\n"
           "The sound is the first usable slonk.wav found; slonk(1) lists where.\n";
}

} // namespace slonk
