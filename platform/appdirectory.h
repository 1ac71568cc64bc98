#pragma once

#include <QString>

namespace slonk {

// The folder that holds the program file.
QString applicationDirectory();

} // namespace slonk
