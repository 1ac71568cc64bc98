#pragma once

class QWidget;

namespace slonk {

// The modal box that congratulates at the finish.
class FinishBox
{
public:
    virtual ~FinishBox() = default;
    // Returns once the user has dismissed the box.
    virtual void show(QWidget *parent) = 0;
};

class MessageFinishBox final : public FinishBox
{
public:
    void show(QWidget *parent) override;
};

} // namespace slonk
