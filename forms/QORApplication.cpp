#include "forms/QORApplication.h"

#include "foundation/ApplicationEvents.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"

#include <QAbstractEventDispatcher>
#include <QTimer>

namespace {

// The silent abort ends an operation without telling anyone.
bool IsSilentAbort(const std::exception_ptr& Error)
{
    try {
        std::rethrow_exception(Error);
    } catch (const ERuntime& Runtime) {
        return Runtime.Kind() == TRuntimeErrorKind::Abort;
    } catch (...) {
    }
    return false;
}

void ShowReport(const QString& Text)
{
    try {
        UserSeam().ShowMessage(nullptr, Text, QString(), TMessageButtons::OK, TMessageIcon::Warning);
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

} // namespace

void HandleApplicationException(const std::exception_ptr& Error, void* Sender)
{
    if (!Error || IsSilentAbort(Error))
        return;
    try {
        if (ApplicationEvents().OnException().Dispatch(Sender, Error))
            return;
    } catch (...) {
        // The handler failed in turn: its own failure is what the user needs to see.
        ShowReport(GetExceptionReport(std::current_exception()));
        return;
    }
    ShowReport(GetExceptionReport(Error));
}

TQORApplication::TQORApplication(int& Argc, char** Argv) : QApplication(Argc, Argv)
{
    FActive = applicationState() == Qt::ApplicationActive;
    connect(this, &QGuiApplication::applicationStateChanged, this, &TQORApplication::ApplicationStateChanged);
    if (QAbstractEventDispatcher* Dispatcher = QAbstractEventDispatcher::instance())
        connect(Dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TQORApplication::EventLoopAboutToBlock);
}

TQORApplication::~TQORApplication() = default;

bool TQORApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        HandleApplicationException(std::current_exception(), this);
    }
    return false;
}

void TQORApplication::ApplicationStateChanged(Qt::ApplicationState State)
{
    const bool Active = State == Qt::ApplicationActive;
    if (Active == FActive)
        return;
    FActive = Active;
    GuardedEvent(
        [&] {
            if (Active)
                ApplicationEvents().OnActivate().Dispatch(this);
            else
                ApplicationEvents().OnDeactivate().Dispatch(this);
        },
        this);
}

// The loop is about to wait for input: that is the moment the idle handler runs. A handler that
// answers Done = false wants to run again without waiting, so the loop is woken at once.
void TQORApplication::EventLoopAboutToBlock()
{
    if (FInIdle)
        return;
    FInIdle = true;
    bool Done = true;
    GuardedEvent([&] { ApplicationEvents().OnIdle().Dispatch(this, Done); }, this);
    FInIdle = false;
    if (!Done)
        QTimer::singleShot(0, this, [] {});
}
