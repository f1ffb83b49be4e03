#pragma once

// The whole text of an input file, for reading through once. A regular file is mapped into memory
// rather than copied: for texts of tens of megabytes the copy costs more than everything done with
// the text afterwards. Should the file be cut short while it is mapped, the program ends with a
// report and exit code 1 instead of dying of the bus error the system raises then.

#include <QByteArray>
#include <QFile>
#include <QString>

class TInputText
{
public:
    // E_QOR_ErrorOpeningFileForReading naming the file when it cannot be read.
    explicit TInputText(const QString& FileName);
    ~TInputText();
    TInputText(const TInputText&) = delete;
    TInputText& operator=(const TInputText&) = delete;

    // Valid while this object lives.
    const QByteArray& Bytes() const { return FBytes; }

private:
    QFile FFile;
    QByteArray FBytes;
    uchar* FMap = nullptr;
};
