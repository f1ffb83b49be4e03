#pragma once

// The counted busy cursor that brackets every long operation: nested pairs keep it until the
// outermost pair ends.

// What shows the busy state on screen. The GUI installs one; without one the count is kept and
// nothing is shown.
class IBusyCursorBackend
{
public:
    virtual ~IBusyCursorBackend() = default;
    // Called when the count leaves 0 (true) and when it returns to 0 (false).
    virtual void SetBusy(bool Busy) = 0;
};

// Installs Backend (not owned; nullptr for none) and returns the previous one. A backend installed
// while the count is above 0 takes over the busy state at once.
IBusyCursorBackend* SetBusyCursorBackend(IBusyCursorBackend* Backend);

void IncBusyCursor();
// Raises E_QOR "Invalid call to DecBusyCursor." when the count would drop below 0.
void DecBusyCursor();
int BusyCursorCount();

// Holds the busy cursor for the lifetime of the object.
class TBusyCursor
{
public:
    TBusyCursor() { IncBusyCursor(); }
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};
