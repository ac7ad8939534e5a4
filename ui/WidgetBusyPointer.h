#pragma once

#include "BusyPointer.h"

namespace velmix {

// The busy pointer over the whole application while the core works.
class WidgetBusyPointer : public BusyPointer
{
public:
    void showBusy() override;
    void restore() override;
};

} // namespace velmix
