#pragma once

// Runs work on a thread of its own and hands its result to the UI thread. Done runs only while
// Context lives; the owner waits for its tasks before it goes (WaitForTasks), so that no work on a
// copy of the document outlives the window.

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TBackgroundTasks
{
public:
    TBackgroundTasks() = default;
    TBackgroundTasks(const TBackgroundTasks&) = delete;
    TBackgroundTasks& operator=(const TBackgroundTasks&) = delete;
    ~TBackgroundTasks() { WaitForTasks(); }

    // Work must not throw and must touch nothing the UI thread uses.
    template <class T> void Run(QObject* Context, std::function<T()> Work, std::function<void(T)> Done)
    {
        auto Result = std::make_shared<std::optional<T>>();
        QThread* Thread = QThread::create([Work = std::move(Work), Result] { *Result = Work(); });
        QObject::connect(Thread, &QThread::finished, Context, [Result, Done = std::move(Done)] {
            if (*Result)
                Done(std::move(**Result));
        });
        QObject::connect(Thread, &QThread::finished, Thread, &QObject::deleteLater);
        std::erase_if(FThreads, [](const QPointer<QThread>& Known) { return Known.isNull(); });
        FThreads.emplace_back(Thread);
        Thread->start();
    }

    void WaitForTasks()
    {
        for (const QPointer<QThread>& Thread : FThreads)
            if (Thread)
                Thread->wait();
        FThreads.clear();
    }

private:
    std::vector<QPointer<QThread>> FThreads;
};
