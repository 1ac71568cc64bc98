#pragma once

#include "design.h"

#include <QFont>

namespace slonk {

// The design's face at the given size; where Tahoma or Courier New is not
// installed, Qt picks a metric-close substitute that we name, not fontconfig.
QFont designFont(design::Face face, double points, bool bold);

} // namespace slonk
