#include "foundation/RecordWriter.h"

#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"

#include <algorithm>
#include <limits>

void TRecordWriter::Grow(size_t Count)
{
    // A record is written with one call, whose count is 32 bits.
    if (Count > std::numeric_limits<uint32_t>::max() - FSize)
        throw E_QOR_SavingError(QStringLiteral("Record of 4 GiB or more"));
    const size_t Capacity = std::max(FSize + Count, FCapacity * 2);
    auto Heap = std::make_unique<uint8_t[]>(Capacity);
    std::memcpy(Heap.get(), FBytes, FSize);
    FHeap = std::move(Heap);
    FBytes = FHeap.get();
    FCapacity = Capacity;
}

void TRecordWriter::PutString(const QString& Value)
{
    if (Value.size() > std::numeric_limits<int32_t>::max())
        throw E_QOR_SavingError();
    PutInteger(static_cast<int32_t>(Value.size()));
    if (!Value.isEmpty())
        ToAnsi(Value, reinterpret_cast<char*>(Room(static_cast<size_t>(Value.size()))));
}

void TRecordWriter::PutStrings(const QStringList& Value)
{
    if (Value.size() > std::numeric_limits<int32_t>::max())
        throw E_QOR_SavingError();
    PutInteger(static_cast<int32_t>(Value.size()));
    for (const QString& Text : Value)
        PutString(Text);
}

void TRecordWriter::Flush(IQORStream& Stream)
{
    if (FSize == 0)
        return;
    const auto Count = static_cast<uint32_t>(FSize);
    uint32_t Done = 0;
    Stream.Write(FBytes, Count, &Done);
    FSize = 0;
    if (Done != Count)
        throw E_QOR_SavingError();
}
