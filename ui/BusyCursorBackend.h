#pragma once

// Shows the busy state as the application's override cursor.

#include "foundation/BusyCursor.h"

class TOverrideCursorBackend : public IBusyCursorBackend
{
public:
    void SetBusy(bool Busy) override;

private:
    bool FCursorSet = false;
};
