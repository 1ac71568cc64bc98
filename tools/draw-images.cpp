// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// Draws our own clock icon (PNG sizes and a scalable SVG) and the finish
// smiley (1x and 2x) into the assets folder given as the only argument.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// The clock in a 256-unit square: a line from the centre at an angle
// (degrees clockwise from twelve), between two radii.
struct Stroke
{
    double degrees, from, to, width;
    QColor colour;
};

constexpr double Centre = 128;
constexpr double RimRadius = 113;
constexpr double RimWidth = 22;
constexpr double HubRadius = 11;

std::vector<Stroke> clockStrokes()
{
    std::vector<Stroke> strokes;
    for (int hour = 0; hour < 12; ++hour)
        strokes.push_back({hour * 30.0, 76, 96, hour % 3 == 0 ? 14.0 : 9.0, Qt::black});
    strokes.push_back({305, 0, 56, 18, Qt::black});          // hour hand at ten past ten
    strokes.push_back({60, 0, 84, 12, Qt::black});           // minute hand
    strokes.push_back({225, -18, 92, 6, QColor(220, 0, 0)}); // second hand
    return strokes;
}

QPointF polar(double degrees, double radius)
{
    const double radians = degrees * M_PI / 180;
    return {Centre + radius * std::sin(radians), Centre - radius * std::cos(radians)};
}

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    painter.setPen(QPen(Qt::black, RimWidth));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(Centre, Centre), RimRadius, RimRadius);
    for (const Stroke &s : clockStrokes()) {
        painter.setPen(QPen(s.colour, s.width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(polar(s.degrees, s.from), polar(s.degrees, s.to));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(Centre, Centre), HubRadius, HubRadius);
    return image;
}

QString iconSvg()
{
    QString svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n";
    out << QStringLiteral("  <circle cx=\"%1\" cy=\"%1\" r=\"%2\" fill=\"#ffffff\" "
                          "stroke=\"#000000\" stroke-width=\"%3\"/>\n")
               .arg(Centre)
               .arg(RimRadius)
               .arg(RimWidth);
    for (const Stroke &s : clockStrokes()) {
        const QPointF a = polar(s.degrees, s.from);
        const QPointF b = polar(s.degrees, s.to);
        out << QStringLiteral("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" "
                              "stroke-width=\"%6\" stroke-linecap=\"round\"/>\n")
                   .arg(a.x(), 0, 'f', 2)
                   .arg(a.y(), 0, 'f', 2)
                   .arg(b.x(), 0, 'f', 2)
                   .arg(b.y(), 0, 'f', 2)
                   .arg(s.colour.name())
                   .arg(s.width);
    }
    out << QStringLiteral("  <circle cx=\"%1\" cy=\"%1\" r=\"%2\" fill=\"#000000\"/>\n")
               .arg(Centre)
               .arg(HubRadius);
    out << "</svg>\n";
    return svg;
}

// 312 x 200 pixels at scale 1: a yellow face with a black outline on the
// design's flat grey.
QImage drawSmiley(int scale)
{
    QImage image(312 * scale, 200 * scale, QImage::Format_RGB32);
    image.fill(QColor(212, 208, 200));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    const QPointF centre(156, 100);
    painter.setPen(QPen(Qt::black, 5));
    painter.setBrush(QColor(255, 214, 0));
    painter.drawEllipse(centre, 88, 88);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(126, 72), 10, 17);
    painter.drawEllipse(QPointF(186, 72), 10, 17);
    painter.setPen(QPen(Qt::black, 8, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(centre.x() - 56, centre.y() - 52, 112, 104), -20 * 16, -140 * 16);
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (image.save(path))
        return true;
    std::fprintf(stderr, "draw-images: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: draw-images ASSETS-FOLDER\n", stderr);
        return 2;
    }
    const QDir assets(QString::fromLocal8Bit(argv[1]));
    assets.mkpath(QStringLiteral("icons"));
    bool ok = true;
    for (const int size : {16, 22, 32, 48, 64, 128, 256})
        ok &= save(drawIcon(size), assets.filePath(QStringLiteral("icons/slonk-%1.png").arg(size)));
    QFile svg(assets.filePath(QStringLiteral("icons/slonk.svg")));
    ok &= svg.open(QIODevice::WriteOnly) && svg.write(iconSvg().toUtf8()) > 0;
    ok &= save(drawSmiley(1), assets.filePath(QStringLiteral("smiley.png")));
    ok &= save(drawSmiley(2), assets.filePath(QStringLiteral("smiley@2x.png")));
    return ok ? 0 : 1;
}
