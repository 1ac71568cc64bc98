#pragma once

#include "platform.h"

namespace slonk {

class MessageFinishBox final : public FinishBox
{
public:
    void show(QWidget *parent) override;
};

} // namespace slonk
