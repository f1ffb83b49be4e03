#include "foundation/AnsiCodec.h"
#include "foundation/StreamPrimitives.h"
#include "foundation/Streams.h"
#include "support/TestSupport.h"

namespace {

QString ThroughStream(const QString& Text)
{
    TMemoryStream Stream;
    WriteString(Stream, Text);
    SeekToStart(Stream);
    return ReadString(Stream);
}

// The answer is the stream's own: text said to be storable comes back from it unchanged, every other
// text does not. Tried for every UTF-16 code unit alone, surrogate halves included.
TEST(StorableText, AgreesWithWhatTheStreamGivesBack)
{
    for (uint32_t Unit = 0; Unit <= 0xFFFF; ++Unit) {
        const QString Text(QChar(static_cast<char16_t>(Unit)));
        ASSERT_EQ(CanStoreAsAnsi(Text), ThroughStream(Text) == Text) << std::hex << Unit;
    }
    for (const char16_t* Storable : {u"Caf\u00e9 \u2013 \u20ac \u0178 \u2030", u"?", u"\u0081\u009d", u""})
        EXPECT_TRUE(CanStoreAsAnsi(QString::fromUtf16(Storable))) << QString::fromUtf16(Storable).toStdString();
    for (const char16_t* Unstorable : {u"\u0100", u"\u0080", u"abc\u4f60", u"\U0001F600"})
        EXPECT_FALSE(CanStoreAsAnsi(QString::fromUtf16(Unstorable))) << QString::fromUtf16(Unstorable).toStdString();
}

// Each character once, where it first stands; a pair of surrogates is one character, a lone half is
// itself; the code page's own characters are never listed.
TEST(StorableText, ListsEachCharacterOnceInOrder)
{
    const QString Text =
        QStringLiteral(u"\u597d a\u4f60\u00e9\u597d\U0001F600\u4f60") + QChar(0xD83D) + QStringLiteral("x");
    EXPECT_EQ(UnstorableCharacters(Text), QList<char32_t>({0x597D, 0x4F60, 0x1F600, 0xD83D}));
    EXPECT_TRUE(UnstorableCharacters(QStringLiteral(u"Caf\u00e9 \u20ac")).isEmpty());
}

// Characters that would not show between quotes are written as code points.
TEST(StorableText, DescribesCharactersPlainlyOrByCodePoint)
{
    EXPECT_EQ(DescribeCharacters({0x4F60, 0x597D}), QStringLiteral(u"'\u4f60', '\u597d'"));
    EXPECT_EQ(DescribeCharacters({0x1F600, 0x80, 0x200B, 0x3000, 0x0301, 0xD83D, 0x10FFFF}),
              QStringLiteral(u"'\U0001F600', U+0080, U+200B, U+3000, U+0301, U+D83D, U+10FFFF"));
    QList<char32_t> Many;
    for (char32_t Character = 0x4E00; Character < 0x4E00 + 19; ++Character)
        Many.append(Character);
    const QString Described = DescribeCharacters(Many);
    EXPECT_TRUE(Described.startsWith(QStringLiteral(u"'\u4e00', '\u4e01', "))) << Described.toStdString();
    EXPECT_TRUE(Described.endsWith(QStringLiteral(u"'\u4e0f' and 3 more"))) << Described.toStdString();
    EXPECT_EQ(DescribeUnstorableCharacters(QStringLiteral(u"\u4f60\u597d")), QStringLiteral(u"'\u4f60', '\u597d'"));
    EXPECT_TRUE(DescribeUnstorableCharacters(QStringLiteral(u"\u00e9")).isEmpty());
}

} // namespace
