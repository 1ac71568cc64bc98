// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#include "commandline.h"
#include "displayprobe.h"

#include <QObject>
#include <QTest>

using namespace slonk;

Q_DECLARE_METATYPE(slonk::CommandAction)
Q_DECLARE_METATYPE(std::vector<std::string>)

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void commandLine_data();
    void commandLine();
    void display_data();
    void display();
};

void TestStartup::commandLine_data()
{
    using Args = std::vector<std::string>;
    QTest::addColumn<Args>("arguments");
    QTest::addColumn<CommandAction>("action");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    const QString none;
    const auto run = CommandAction::Run;
    const auto error = CommandAction::Error;
    QTest::newRow("nothing opens the window") << Args{} << run << none << none << none;
    QTest::newRow("--help") << Args{"--help"} << CommandAction::Help << none << none << none;
    QTest::newRow("-h") << Args{"-h"} << CommandAction::Help << none << none << none;
    QTest::newRow("--version") << Args{"--version"} << CommandAction::Version << none << none
                               << none;
    QTest::newRow("the first of --version and --help wins")
        << Args{"--version", "--help"} << CommandAction::Version << none << none << none;
    QTest::newRow("--help after Qt's options")
        << Args{"-platform", "offscreen", "--help"} << CommandAction::Help << none << "offscreen"
        << none;
    QTest::newRow("Qt's -platform and -display, their values kept")
        << Args{"-platform", "xcb", "-display", ":3"} << run << none << "xcb"
        << ":3";
    QTest::newRow("Qt's options with two dashes")
        << Args{"--platform", "wayland", "--reverse"} << run << none << "wayland" << none;
    QTest::newRow("a value that looks like an option")
        << Args{"-qwindowtitle", "--help"} << run << none << none << none;
    QTest::newRow("Qt's flags and -name=value forms")
        << Args{"-reverse", "-nograb", "-style=fusion", "-qmljsdebugger=port:1"} << run << none
        << none << none;
    QTest::newRow("an unknown option is named")
        << Args{"--fullscreen"} << error << "unknown option '--fullscreen' (try 'slonk --help')"
        << none << none;
    QTest::newRow("an unknown option before --help")
        << Args{"-x", "--help"} << error << "unknown option '-x' (try 'slonk --help')" << none
        << none;
    QTest::newRow("a lone dash is a word")
        << Args{"-"} << error << "unexpected argument '-': slonk takes no file or word" << none
        << none;
    QTest::newRow("a file name") << Args{"slonk.wav"} << error
                                 << "unexpected argument 'slonk.wav': slonk takes no file or word"
                                 << none << none;
    QTest::newRow("a word after --")
        << Args{"--", "--help"} << error
        << "unexpected argument '--help': slonk takes no file or word" << none << none;
    QTest::newRow("a lone -- is harmless") << Args{"--"} << run << none << none << none;
    QTest::newRow("Qt's option without its value")
        << Args{"-display"} << error << "option '-display' needs a value" << none << none;
    QTest::newRow("-version is not --version")
        << Args{"-version"} << error << "unknown option '-version' (try 'slonk --help')" << none
        << none;
}

void TestStartup::commandLine()
{
    QFETCH(std::vector<std::string>, arguments);
    QFETCH(CommandAction, action);
    QFETCH(QString, error);
    QFETCH(QString, platform);
    QFETCH(QString, display);
    const CommandLine command = readCommandLine(arguments);
    QCOMPARE(command.action, action);
    QCOMPARE(QString::fromStdString(command.error), error);
    QCOMPARE(QString::fromStdString(command.platform), platform);
    QCOMPARE(QString::fromStdString(command.display), display);
}

void TestStartup::display_data()
{
    // Fake probes: the compositor socket and X display that answer.
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<QString>("x11Display");
    QTest::addColumn<QString>("liveSocket");
    QTest::addColumn<QString>("liveX");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("chosen");
    const QString none;
    QTest::newRow("nothing set") << none << none << none << none << none
                                 << "no display: neither WAYLAND_DISPLAY nor DISPLAY is set"
                                 << none;
    QTest::newRow("X11 alone, live") << none << none << ":1" << none << ":1" << none << none;
    QTest::newRow("X11 alone, dead") << none << none << ":1" << none << none
                                     << "no display: no X server at :1 (DISPLAY)" << none;
    QTest::newRow("Wayland live, X11 live: Qt's default, Wayland") << none << "wayland-1"
                                                                   << ":1"
                                                                   << "/run/1/wayland-1"
                                                                   << ":1" << none << none;
    QTest::newRow("Wayland dead, X11 live: plain X11") << none << "wayland-1"
                                                       << ":1" << none << ":1" << none << "xcb";
    QTest::newRow("Wayland dead, no X11")
        << none << "wayland-1" << none << none << none
        << "no display: no Wayland compositor at /run/1/wayland-1 (WAYLAND_DISPLAY=wayland-1), "
           "no X server: DISPLAY unset"
        << none;
    QTest::newRow("Wayland dead, X11 dead")
        << none << "wayland-1"
        << ":1" << none << none
        << "no display: no Wayland compositor at /run/1/wayland-1 (WAYLAND_DISPLAY=wayland-1), "
           "no X server at :1 (DISPLAY)"
        << none;
    QTest::newRow("an absolute WAYLAND_DISPLAY is the socket itself")
        << none << "/tmp/w" << none << "/tmp/w" << none << none << none;
    QTest::newRow("wayland named, no compositor at the default socket")
        << "wayland" << none << ":1" << none << ":1"
        << "no display for platform 'wayland': no Wayland compositor at /run/1/wayland-0 "
           "(WAYLAND_DISPLAY unset)"
        << none;
    QTest::newRow("wayland named, compositor at the default socket")
        << "wayland" << none << none << "/run/1/wayland-0" << none << none << none;
    QTest::newRow("xcb named beside a live compositor") << "xcb"
                                                        << "wayland-1"
                                                        << ":1"
                                                        << "/run/1/wayland-1"
                                                        << ":1" << none << none;
    QTest::newRow("xcb named, dead")
        << "xcb"
        << "wayland-1"
        << ":1"
        << "/run/1/wayland-1" << none
        << "no display for platform 'xcb': no X server at :1 (DISPLAY)" << none;
    QTest::newRow("a list with its first dead") << "wayland-egl;xcb:nograb"
                                                << "wayland-1"
                                                << ":1" << none << ":1" << none << "xcb:nograb";
    QTest::newRow("offscreen needs no display")
        << "offscreen" << none << none << none << none << none << none;
    QTest::newRow("a platform this cannot probe is Qt's to judge")
        << "wayland;vnc"
        << "wayland-1" << none << none << none << none << none;
}

void TestStartup::display()
{
    QFETCH(QString, platform);
    QFETCH(QString, waylandDisplay);
    QFETCH(QString, x11Display);
    QFETCH(QString, liveSocket);
    QFETCH(QString, liveX);
    QFETCH(QString, error);
    QFETCH(QString, chosen);
    DisplayEnvironment environment;
    environment.platform = platform.toStdString();
    environment.waylandDisplay = waylandDisplay.toStdString();
    environment.runtimeDir = "/run/1";
    environment.x11Display = x11Display.toStdString();
    const DisplayProbes probes{
        [&](const std::string &path) { return path == liveSocket.toStdString(); },
        [&](const std::string &display) { return display == liveX.toStdString(); }};
    const DisplayChoice choice = chooseDisplay(environment, probes);
    QCOMPARE(QString::fromStdString(choice.error), error);
    QCOMPARE(QString::fromStdString(choice.platform), chosen);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
