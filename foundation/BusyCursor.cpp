#include "foundation/BusyCursor.h"

#include "foundation/QORExceptions.h"

namespace {

struct TBusyState
{
    int Count = 0;
    IBusyCursorBackend* Backend = nullptr;
};

TBusyState& BusyState()
{
    static TBusyState State;
    return State;
}

} // namespace

IBusyCursorBackend* SetBusyCursorBackend(IBusyCursorBackend* Backend)
{
    TBusyState& State = BusyState();
    IBusyCursorBackend* Previous = State.Backend;
    if (State.Count > 0 && Previous)
        Previous->SetBusy(false);
    State.Backend = Backend;
    if (State.Count > 0 && Backend)
        Backend->SetBusy(true);
    return Previous;
}

void IncBusyCursor()
{
    TBusyState& State = BusyState();
    if (++State.Count == 1 && State.Backend)
        State.Backend->SetBusy(true);
}

void DecBusyCursor()
{
    TBusyState& State = BusyState();
    if (State.Count <= 0)
        throw E_QOR(QStringLiteral("Invalid call to DecBusyCursor."));
    if (--State.Count == 0 && State.Backend)
        State.Backend->SetBusy(false);
}

int BusyCursorCount()
{
    return BusyState().Count;
}

TBusyCursor::~TBusyCursor()
{
    // An unpaired DecBusyCursor elsewhere may have emptied the count already; a destructor must not
    // raise.
    if (BusyCursorCount() > 0)
        DecBusyCursor();
}
