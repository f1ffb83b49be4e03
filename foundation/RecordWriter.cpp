#include "foundation/RecordWriter.h"

#include "foundation/QORExceptions.h"

void TRecordWriter::Flush(IQORStream& Stream)
{
    if (FBytes.isEmpty())
        return;
    const auto Count = static_cast<uint32_t>(FBytes.size());
    uint32_t Done = 0;
    Stream.Write(FBytes.constData(), Count, &Done);
    FBytes.clear();
    if (Done != Count)
        throw E_QOR_SavingError();
}
