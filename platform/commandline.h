// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#pragma once

#include <string>
#include <vector>

namespace slonk {

enum class CommandAction
{
    Run,
    Help,
    Version,
    Error, // a line for stderr is in CommandLine::error; exit status 2
};

struct CommandLine
{
    CommandAction action = CommandAction::Run;
    std::string platform; // the value of Qt's -platform, if given
    std::string display;  // the value of Qt's -display, if given
    std::string error;
};

// Reads the arguments after the program name. The program has no options of
// its own but --help and --version; Qt's own options pass (with their value);
// anything else, a bare word included, is an error naming it. Reading stops
// at the first --help or --version, as GNU programs do.
CommandLine readCommandLine(const std::vector<std::string> &arguments);

// What --help prints.
std::string usageText();

} // namespace slonk
