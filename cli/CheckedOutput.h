#pragma once

// The device a command's results go through on their way to standard output. A command writes as
// it likes (Print, whole JSON texts, a stream of pieces); this device passes every write on and
// remembers the first that failed, so that results which could not be written fail the command
// however it wrote them.

#include <QIODevice>
#include <QString>

class TCheckedOutput : public QIODevice
{
public:
    explicit TCheckedOutput(QIODevice& Target);

    // Flushes the device below; false when a write or the flush failed. Problem then says why.
    bool Finish();
    bool Failed() const { return FFailed; }
    QString Problem() const { return FProblem; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* Data, qint64 MaxSize) override;
    qint64 writeData(const char* Data, qint64 Size) override;

private:
    void Fail();

    QIODevice& FTarget;
    bool FFailed = false;
    QString FProblem;
};
