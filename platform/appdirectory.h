// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QString>

namespace slonk {

// The folder that holds the program file.
QString applicationDirectory();

} // namespace slonk
