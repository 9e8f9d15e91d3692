// What a HUD button reports its clicks to.
#pragma once

class ClickInterface {
public:
    virtual void buttonClicked(int id) = 0;
    virtual ~ClickInterface() = default;
};
