#pragma once

namespace velmix {

// The busy (hourglass) mouse pointer, supplied by the window.
class BusyPointer
{
public:
    virtual ~BusyPointer() = default;
    virtual void showBusy() = 0;
    virtual void restore() = 0;
};

// Shows the busy pointer for its lifetime, so showing and restoring always balance,
// also when the work in between throws.
class BusyGuard
{
public:
    explicit BusyGuard(BusyPointer &pointer)
        : m_pointer(pointer)
    {
        m_pointer.showBusy();
    }
    ~BusyGuard() { m_pointer.restore(); }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

private:
    BusyPointer &m_pointer;
};

} // namespace velmix
