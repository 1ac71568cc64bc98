// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
// Build: g++ -std=c++20 -O1 -fPIC probe.cpp -o probe $(pkg-config --cflags --libs Qt6Widgets)
// Prints what Qt tells a top-level widget about being seen: Expose events with
// isExposed(), window state changes, and paints, each with milliseconds since
// start. Commands on stdin (one a line): min, normal, hide, show, quit.
// PROBE_TICK=1 repaints a label every 50 ms while exposed.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <ctime>
#include <unistd.h>

static QElapsedTimer clk;
static void say(const char *what, const QString &more = {})
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    std::printf("%7lld [%lld.%03ld] %s %s\n", (long long)clk.elapsed(), (long long)ts.tv_sec,
                ts.tv_nsec / 1000000, what, qPrintable(more));
    std::fflush(stdout);
}

class Probe : public QLabel
{
public:
    Probe()
    {
        setText("probe 0");
        resize(300, 200);
    }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *w = qobject_cast<QWindow *>(o);
        if (!w)
            return false;
        if (e->type() == QEvent::Expose)
            say("expose",
                QStringLiteral("isExposed=%1 visible=%2").arg(w->isExposed()).arg(w->isVisible()));
        else if (e->type() == QEvent::WindowStateChange)
            say("windowstate", QStringLiteral("state=%1 isExposed=%2")
                                   .arg(int(w->windowStates()))
                                   .arg(w->isExposed()));
        return false;
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        ++paints;
        QLabel::paintEvent(e);
    }

public:
    int paints = 0;
};

int main(int argc, char **argv)
{
    clk.start();
    QApplication app(argc, argv);
    Probe p;
    p.setWindowTitle("probe");
    p.show();
    p.windowHandle()->installEventFilter(&p);
    QObject::connect(p.windowHandle(), &QWindow::windowStateChanged, [](Qt::WindowState s) {
        say("sig-windowStateChanged", QString::number(int(s)));
    });
    QObject::connect(p.windowHandle(), &QWindow::visibilityChanged, [](QWindow::Visibility v) {
        say("sig-visibilityChanged", QString::number(int(v)));
    });
    say("platform", QGuiApplication::platformName());
    QTimer tick;
    int n = 0;
    int lastPaints = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!qEnvironmentVariableIsSet("PROBE_TICK"))
            return;
        if (p.windowHandle()->isExposed())
            p.setText(QStringLiteral("probe %1").arg(++n));
    });
    tick.start(50);
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        say("status", QStringLiteral("isExposed=%1 state=%2 paints+%3")
                          .arg(p.windowHandle()->isExposed())
                          .arg(int(p.windowHandle()->windowStates()))
                          .arg(p.paints - lastPaints));
        lastPaints = p.paints;
    });
    report.start(1000);
    QSocketNotifier in(0, QSocketNotifier::Read);
    QObject::connect(&in, &QSocketNotifier::activated, [&] {
        char buf[64] = {};
        ssize_t r = read(0, buf, sizeof buf - 1);
        if (r <= 0) {
            in.setEnabled(false);
            return;
        }
        QString c = QString::fromLatin1(buf).trimmed();
        say("cmd", c);
        if (c == "min")
            p.showMinimized();
        else if (c == "normal")
            p.showNormal();
        else if (c == "hide")
            p.hide();
        else if (c == "show")
            p.show();
        else if (c == "quit")
            app.quit();
    });
    return app.exec();
}
