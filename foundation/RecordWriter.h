#pragma once

// Gathers the values of a record in memory, laid out as the Write primitives would lay them out, so
// that many small values reach the stream in one write.

#include "foundation/GUID.h"
#include "foundation/QORStream.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstring>
#include <memory>

class TRecordWriter
{
public:
    TRecordWriter() = default;
    TRecordWriter(const TRecordWriter&) = delete;
    TRecordWriter& operator=(const TRecordWriter&) = delete;

    void PutGUID(const TGUID& Value)
    {
        const auto Bytes = Value.ToBytes();
        std::memcpy(Room(Bytes.size()), Bytes.data(), Bytes.size());
    }
    void PutInteger(int32_t Value)
    {
        const auto Bits = static_cast<uint32_t>(Value);
        uint8_t* Target = Room(4);
        for (int Index = 0; Index < 4; ++Index)
            Target[Index] = static_cast<uint8_t>(Bits >> (8 * Index));
    }
    void PutBoolean(bool Value) { *Room(1) = Value ? 1 : 0; }
    // As WriteString and WriteStrings: a count too large for 32 bits raises E_QOR_SavingError.
    void PutString(const QString& Value);
    void PutStrings(const QStringList& Value);

    // Writes what has been gathered and empties the writer; a short write raises E_QOR_SavingError.
    void Flush(IQORStream& Stream);

private:
    uint8_t* Room(size_t Count)
    {
        if (Count > FCapacity - FSize)
            Grow(Count);
        uint8_t* Target = FBytes + FSize;
        FSize += Count;
        return Target;
    }
    void Grow(size_t Count);

    // Most records fit the local room; a longer one moves to the heap.
    uint8_t FLocal[512];
    std::unique_ptr<uint8_t[]> FHeap;
    uint8_t* FBytes = FLocal;
    size_t FSize = 0;
    size_t FCapacity = sizeof FLocal;
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
