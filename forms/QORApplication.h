#pragma once

// The application object of the interactive program. Qt does not let exceptions cross its event
// loop, so every event delivery is guarded here: an exception that escapes an event handler goes to
// the most recent handler of the application's exception event list. The other three event lists
// are fed from Qt's application state (activation, deactivation) and from the event loop going
// idle.

#include <QApplication>

#include <exception>
#include <utility>

class TQORApplication : public QApplication
{
    Q_OBJECT
public:
    TQORApplication(int& Argc, char** Argv);
    ~TQORApplication() override;

    bool notify(QObject* Receiver, QEvent* Event) override;

private:
    void ApplicationStateChanged(Qt::ApplicationState State);
    void EventLoopAboutToBlock();

    bool FActive = false;
    bool FInIdle = false;
};

// Hands Error to the most recent exception handler. When no handler is registered (or the handler
// itself fails) the report text is shown in a message box rather than lost.
void HandleApplicationException(const std::exception_ptr& Error, void* Sender = nullptr);

// Runs Action and hands any exception it raises to the application's exception handler. Slots and
// event handlers wrap their bodies in it so that no exception reaches Qt.
template <class F> void GuardedEvent(F&& Action, void* Sender = nullptr)
{
    try {
        std::forward<F>(Action)();
    } catch (...) {
        HandleApplicationException(std::current_exception(), Sender);
    }
}
