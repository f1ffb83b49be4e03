#include "QORTestObjects.h"

#include "foundation/StreamPrimitives.h"

QOR_IMPLEMENT_CLASS(TNamed, TQORObject, "{0B4C1D2E-3F40-4152-8364-758697A8B9C0}", &QORCreate<TNamed>)
QOR_IMPLEMENT_CLASS(TNamedChild, TNamed, "{1B4C1D2E-3F40-4152-8364-758697A8B9C1}", &QORCreate<TNamedChild>)
QOR_IMPLEMENT_CLASS(TUnrelated, TQORObject, nullptr, nullptr)
QOR_IMPLEMENT_CLASS(TNamedList, TQORList, "{2B4C1D2E-3F40-4152-8364-758697A8B9C2}", nullptr)

std::vector<std::string>& EventLog()
{
    static std::vector<std::string> Log;
    return Log;
}

void TNamed::Assign(const TQORObject* Source, bool KeepReferences)
{
    CheckAssignable(Source);
    Name = static_cast<const TNamed*>(Source)->Name;
    Value = static_cast<const TNamed*>(Source)->Value;
}

bool TNamed::Equals(const TQORObject* Other) const
{
    auto* O = dynamic_cast<const TNamed*>(Other);
    return O && O->Name == Name && O->Value == Value;
}

void TNamed::LoadFromStream(IQORStream& Stream)
{
    Name = ReadString(Stream);
    Value = ReadInteger(Stream);
}

void TNamed::SaveToStream(IQORStream& Stream) const
{
    WriteString(Stream, Name);
    WriteInteger(Stream, Value);
}

void TNamedList::Notify(TQORObject* Item, TQORListNotification Action)
{
    const std::string Subject = Item ? static_cast<TNamed*>(Item)->Name.toStdString() : "none";
    EventLog().push_back("notify " + std::to_string(Action) + " " + Subject);
}

int TNamedList::Compare(const TQORObject* A, const TQORObject* B) const
{
    const int32_t X = static_cast<const TNamed*>(A)->Value, Y = static_cast<const TNamed*>(B)->Value;
    return X > Y ? 1 : X < Y ? -1 : 0;
}

void Fill(TQORList& List, int N)
{
    for (int I = 0; I < N; ++I)
        List.Add(new TNamed(QString(QChar('A' + I)), I));
}

std::string Names(const TQORList& List)
{
    std::string Result;
    for (int32_t I = 0; I < List.Count(); ++I) {
        Result += I ? "," : "";
        if (List.IsPending(I))
            Result += "#" + std::to_string(List.PendingIndex(I));
        else if (auto* Item = dynamic_cast<TNamed*>(List.Items(I)))
            Result += Item->Name.toStdString();
        else
            Result += "-";
    }
    return Result;
}
