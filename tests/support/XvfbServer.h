#pragma once

// A private X server for tests that need a real display: it picks a free display itself, and
// ends with the object.

#include <QProcess>
#include <QStandardPaths>
#include <QString>

class TXvfbServer
{
public:
    explicit TXvfbServer(int Timeout) : FTimeout(Timeout) {}
    ~TXvfbServer()
    {
        if (FServer.state() == QProcess::Running) {
            FServer.terminate();
            if (!FServer.waitForFinished(FTimeout))
                FServer.kill();
        }
    }
    TXvfbServer(const TXvfbServer&) = delete;
    TXvfbServer& operator=(const TXvfbServer&) = delete;

    static bool Installed() { return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty(); }

    // Starts the server and returns its display (":5"), or an empty text when it did not start.
    QString Start()
    {
        // The server tells the number of the display it chose on the descriptor given.
        FServer.start(QStandardPaths::findExecutable(QStringLiteral("Xvfb")),
                      {QStringLiteral("-displayfd"),
                       QStringLiteral("1"),
                       QStringLiteral("-nolisten"),
                       QStringLiteral("tcp"),
                       QStringLiteral("-screen"),
                       QStringLiteral("0"),
                       QStringLiteral("800x600x24")});
        while (!FServer.canReadLine())
            if (!FServer.waitForReadyRead(FTimeout))
                return {};
        return QStringLiteral(":") + QString::fromLatin1(FServer.readLine()).trimmed();
    }

private:
    int FTimeout;
    QProcess FServer;
};
