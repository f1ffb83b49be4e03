#include "cli/CheckedOutput.h"

#include <QFileDevice>

TCheckedOutput::TCheckedOutput(QIODevice& Target) : FTarget(Target)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool TCheckedOutput::Finish()
{
    // Standard output is buffered below Qt: a full disk often shows only here.
    if (auto* File = qobject_cast<QFileDevice*>(&FTarget); File && !FFailed && !File->flush())
        Fail();
    return !FFailed;
}

qint64 TCheckedOutput::readData(char*, qint64)
{
    return -1;
}

qint64 TCheckedOutput::writeData(const char* Data, qint64 Size)
{
    // After one failure nothing more is tried: the results are lost already.
    if (FFailed)
        return -1;
    for (qint64 Done = 0; Done < Size;) {
        const qint64 Written = FTarget.write(Data + Done, Size - Done);
        if (Written <= 0) {
            Fail();
            return -1;
        }
        Done += Written;
    }
    return Size;
}

void TCheckedOutput::Fail()
{
    FFailed = true;
    FProblem = FTarget.errorString();
    setErrorString(FProblem);
}
