// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "fonts.h"

#include <QStringList>

namespace slonk {
namespace {

void installSubstitutes()
{
    // Liberation Sans is about as wide as Tahoma, DejaVu Sans about a tenth
    // wider; Liberation Mono keeps Courier New's metrics exactly.
    static const bool installed = [] {
        QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("Liberation Sans"),
                                                              QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(
            QStringLiteral("Courier New"),
            {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

QFont designFont(design::Face face, double points, bool bold)
{
    installSubstitutes();
    const bool mono = face == design::Face::CourierNew;
    QFont font(mono ? QStringLiteral("Courier New") : QStringLiteral("Tahoma"));
    font.setStyleHint(mono ? QFont::TypeWriter : QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace slonk
