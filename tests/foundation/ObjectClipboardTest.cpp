#include "foundation/ObjectClipboard.h"

#include "QORTestObjects.h"
#include "foundation/BusyCursor.h"
#include "foundation/QORExceptions.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A system clipboard in memory: one payload under one format name.
class TFakeClipboard : public IClipboardBackend
{
public:
    void SetContent(const QString& FormatName, const QString& Text, const QByteArray& Payload) override
    {
        Format = FormatName;
        this->Text = Text;
        Bytes = Payload;
    }
    bool HasFormat(const QString& FormatName) const override { return Format == FormatName; }
    QByteArray Content(const QString& FormatName) const override { return HasFormat(FormatName) ? Bytes : ""; }
    QString Format, Text;
    QByteArray Bytes;
};

class ObjectClipboardPayload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TQORObjectClipboard::RegisterClass(TNamed::StaticClass());
        TQORObjectClipboard::RegisterClass(TNamedChild::StaticClass());
        TQORObjectClipboard::RegisterClass(TNamed::StaticClass());
    }
    void TearDown() override { TQORObjectClipboard::UnregisterAllClasses(); }
};

TEST_F(ObjectClipboardPayload, IsTheClassIdFollowedByTheObjectsOwnRecord)
{
    const TNamedChild Original("copied", 42);
    TMemoryStream Stream, Expected;
    TQORObjectClipboard::CopyToStream(Original, Stream);
    WriteGUID(Expected, TNamedChild::StaticClass().ClassID);
    Original.SaveToStream(Expected);
    EXPECT_EQ(Stream.Data(), Expected.Data());

    SeekToStart(Stream);
    std::unique_ptr<TQORObject> Pasted = TQORObjectClipboard::PasteFromStream(Stream);
    EXPECT_EQ(&Pasted->Class(), &TNamedChild::StaticClass());
    EXPECT_TRUE(Pasted->Equals(&Original));
}

TEST_F(ObjectClipboardPayload, OnlyRegisteredClassesTravel)
{
    TMemoryStream Unknown;
    WriteGUID(Unknown, TNamedList::StaticClass().ClassID);
    SeekToStart(Unknown);
    ExpectThrowReport<E_QOR_UnrecognisedDataFormat>([&] { TQORObjectClipboard::PasteFromStream(Unknown); });
    ExpectThrowReport<E_QOR_UnrecognisedDataFormat>([] { TQORObjectClipboard::FindClass(TGUID{}); });
    ExpectThrowReport<E_QOR_InvalidArg>([] { TQORObjectClipboard::RegisterClass(TUnrelated::StaticClass()); });
}

TEST_F(ObjectClipboardPayload, TravelsThroughTheSystemClipboardBackend)
{
    TFakeClipboard System;
    TQORObjectClipboard Holder("Corvane Quillon", &System);
    EXPECT_TRUE(Holder.PeekClassID().IsNull());
    ExpectThrowReport<E_QOR_UnrecognisedDataFormat>([&] { Holder.Paste(); });

    const TNamed Original("element", 7);
    Holder.Copy(Original);
    EXPECT_EQ(System.Text, "Corvane Quillon");
    EXPECT_EQ(Holder.PeekClassID(), TNamed::StaticClass().ClassID);
    std::unique_ptr<TQORObject> Pasted = TQORObjectClipboard("Corvane Quillon", &System).Paste();
    EXPECT_TRUE(Pasted->Equals(&Original));

    System.SetContent("Something else", "x", "y");
    ExpectThrowReport<E_QOR_UnrecognisedDataFormat>([&] { Holder.Paste(); });
    EXPECT_EQ(BusyCursorCount(), 0);
}

} // namespace
