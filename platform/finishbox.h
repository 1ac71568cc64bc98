// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"

namespace slonk {

class MessageFinishBox final : public FinishBox
{
public:
    void show(QWidget *parent) override;
};

} // namespace slonk
