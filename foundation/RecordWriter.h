#pragma once

// Gathers the values of a record in memory, laid out as the Write primitives would lay them out, so
// that many small values reach the stream in one write.

#include "foundation/GUID.h"
#include "foundation/QORStream.h"

#include <QVarLengthArray>

#include <cstdint>

class TRecordWriter
{
public:
    void PutGUID(const TGUID& Value)
    {
        const auto Bytes = Value.ToBytes();
        FBytes.append(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
    }
    void PutInteger(int32_t Value)
    {
        const auto Bits = static_cast<uint32_t>(Value);
        const uint8_t Bytes[4] = {static_cast<uint8_t>(Bits),
                                  static_cast<uint8_t>(Bits >> 8),
                                  static_cast<uint8_t>(Bits >> 16),
                                  static_cast<uint8_t>(Bits >> 24)};
        FBytes.append(Bytes, 4);
    }
    void PutBoolean(bool Value) { FBytes.append(Value ? 1 : 0); }

    // Writes what has been gathered and empties the writer; a short write raises E_QOR_SavingError.
    void Flush(IQORStream& Stream);

private:
    QVarLengthArray<uint8_t, 512> FBytes;
};

// Fills a record and writes it. When Fill raises, what it had gathered is written before the
// exception goes on, so that the stream holds what value-by-value writing would have left.
template <class TFill> void WriteRecord(IQORStream& Stream, const TFill& Fill)
{
    TRecordWriter Record;
    try {
        Fill(Record);
    } catch (...) {
        Record.Flush(Stream);
        throw;
    }
    Record.Flush(Stream);
}
