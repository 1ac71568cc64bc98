// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "design.h"

#include <QFont>

namespace slonk {

// The design's face at the given size; where Tahoma or Courier New is not
// installed, Qt picks a metric-close substitute that we name, not fontconfig.
QFont designFont(design::Face face, double points, bool bold);

} // namespace slonk
