// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// The floor: a minimal Qt Widgets program with one empty window of the same
// size as ours. What Qt itself costs before any control is made.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(313, 273);
    window.setWindowTitle(QStringLiteral("baseline"));
    window.show();
    return QApplication::exec();
}
