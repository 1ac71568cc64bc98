// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// The yardstick: a minimal Qt Widgets program with one empty window of the
// same size as ours. With "labels", a 50 ms timer sets four labels, the least a
// ticking display could do.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstring>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(313, 273);
    window.setWindowTitle(QStringLiteral("baseline"));
    std::array<QLabel *, 4> labels{};
    QTimer timer;
    if (argc > 1 && std::strcmp(argv[1], "labels") == 0) {
        for (std::size_t i = 0; i < labels.size(); ++i) {
            labels[i] = new QLabel(&window);
            labels[i]->setGeometry(8, 8 + 40 * static_cast<int>(i), 297, 33);
        }
        int ticks = 0;
        QObject::connect(&timer, &QTimer::timeout, &window, [&] {
            ++ticks;
            for (QLabel *label : labels)
                label->setText(QString::number(ticks));
        });
        timer.start(50);
    }
    window.show();
    return QApplication::exec();
}
