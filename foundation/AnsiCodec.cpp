#include "foundation/AnsiCodec.h"

#include "foundation/StreamPrimitives.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include <QSet>
#include <QStringList>

#include <array>
#include <cstring>
#include <string>
#include <utility>

// Both directions keep one byte per UTF-16 code unit: the stored count is the number of code units
// and exactly that many bytes follow it.

namespace {

// Every ANSI code page keeps the ASCII range, so ASCII text converts unit by unit without asking the
// code page. Most names and notes are such text. Copies the leading ASCII units and tells how many
// there were.
qsizetype CopyAsciiPrefix(const char16_t* Units, qsizetype Count, char* Target)
{
    qsizetype Index = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i NonAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    for (; Index + 8 <= Count; Index += 8) {
        const __m128i Chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Units + Index));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(Chunk, NonAscii), _mm_setzero_si128())) != 0xFFFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(Target + Index), _mm_packus_epi16(Chunk, Chunk));
    }
#endif
    for (; Index < Count && Units[Index] < 0x80; ++Index)
        Target[Index] = static_cast<char>(Units[Index]);
    return Index;
}

const char16_t* UnitsOf(const QString& Text)
{
    return reinterpret_cast<const char16_t*>(Text.utf16());
}

} // namespace

#ifdef Q_OS_WIN

QByteArray ToAnsi(const QString& Text)
{
    const int Length = static_cast<int>(Text.size());
    if (Length == 0)
        return {};
    QByteArray Ascii(Length, Qt::Uninitialized);
    if (CopyAsciiPrefix(UnitsOf(Text), Length, Ascii.data()) == Length)
        return Ascii;
    // Each half of a surrogate pair becomes "?" on its own, so that the bytes keep step with the code
    // units; the system would write one "?" for the pair.
    std::wstring Units(reinterpret_cast<const wchar_t*>(Text.utf16()), static_cast<size_t>(Length));
    for (wchar_t& Unit : Units) {
        if (Unit >= 0xD800 && Unit <= 0xDFFF)
            Unit = L'?';
    }
    // Without best fit a missing character becomes the default character, not a look-alike. Code
    // pages that refuse the flag (UTF-8 as the ANSI code page) convert without it.
    DWORD Flags = WC_NO_BEST_FIT_CHARS;
    int Needed = WideCharToMultiByte(CP_ACP, Flags, Units.data(), Length, nullptr, 0, nullptr, nullptr);
    if (Needed <= 0) {
        Flags = 0;
        Needed = WideCharToMultiByte(CP_ACP, Flags, Units.data(), Length, nullptr, 0, nullptr, nullptr);
    }
    QByteArray Converted(Needed > 0 ? Needed : 0, Qt::Uninitialized);
    if (Needed > 0)
        WideCharToMultiByte(CP_ACP, Flags, Units.data(), Length, Converted.data(), Needed, nullptr, nullptr);
    // A multi-byte code page may need more or fewer bytes than code units; the count is what readers
    // trust, so cut or pad to it.
    if (Converted.size() > Length)
        Converted.truncate(Length);
    while (Converted.size() < Length)
        Converted.append('?');
    return Converted;
}

void ToAnsi(const QString& Text, char* Target)
{
    if (CopyAsciiPrefix(UnitsOf(Text), Text.size(), Target) == Text.size())
        return;
    const QByteArray Bytes = ToAnsi(Text);
    std::memcpy(Target, Bytes.constData(), static_cast<size_t>(Text.size()));
}

QString FromAnsi(const QByteArray& Bytes)
{
    const int Length = static_cast<int>(Bytes.size());
    if (Length == 0)
        return {};
    const int Needed = MultiByteToWideChar(CP_ACP, 0, Bytes.constData(), Length, nullptr, 0);
    if (Needed <= 0)
        return {};
    QString Result(Needed, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, Bytes.constData(), Length, reinterpret_cast<wchar_t*>(Result.data()), Needed);
    return Result;
}

#else

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the C1 control
// of the same value, as the Windows conversion does.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char EncodeUnit(char16_t Unit)
{
    if (Unit < 0x80 || (Unit >= 0xA0 && Unit <= 0xFF))
        return static_cast<char>(Unit);
    for (size_t Index = 0; Index < HighControlRange.size(); ++Index) {
        if (HighControlRange[Index] == Unit)
            return static_cast<char>(0x80 + Index);
    }
    // Includes each half of a surrogate pair.
    return '?';
}

} // namespace

void ToAnsi(const QString& Text, char* Target)
{
    const char16_t* Source = UnitsOf(Text);
    const qsizetype Count = Text.size();
    for (qsizetype Index = CopyAsciiPrefix(Source, Count, Target); Index < Count; ++Index)
        Target[Index] = EncodeUnit(Source[Index]);
}

QByteArray ToAnsi(const QString& Text)
{
    if (Text.isEmpty())
        return {};
    QByteArray Result(Text.size(), Qt::Uninitialized);
    ToAnsi(Text, Result.data());
    return Result;
}

QString FromAnsi(const QByteArray& Bytes)
{
    QString Result(Bytes.size(), Qt::Uninitialized);
    QChar* Target = Result.data();
    for (qsizetype Index = 0; Index < Bytes.size(); ++Index) {
        const auto Byte = static_cast<uint8_t>(Bytes[Index]);
        Target[Index] = QChar(Byte >= 0x80 && Byte < 0xA0 ? HighControlRange[Byte - 0x80] : char16_t(Byte));
    }
    return Result;
}

#endif

// Storable text

namespace {

bool IsAscii(const QString& Text)
{
    for (const QChar Unit : Text)
        if (Unit.unicode() >= 0x80)
            return false;
    return true;
}

// The character starting at Index, and how many code units it takes.
std::pair<char32_t, qsizetype> CharacterAt(const QString& Text, qsizetype Index)
{
    const QChar Unit = Text[Index];
    if (Unit.isHighSurrogate() && Index + 1 < Text.size() && Text[Index + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(Unit, Text[Index + 1]), 2};
    return {Unit.unicode(), 1};
}

QString TextOf(char32_t Character)
{
    if (QChar::requiresSurrogates(Character)) {
        const QChar Pair[] = {QChar(QChar::highSurrogate(Character)), QChar(QChar::lowSurrogate(Character))};
        return QString(Pair, 2);
    }
    return QString(QChar(static_cast<char16_t>(Character)));
}

bool RoundTrips(const QString& Text)
{
    return FromAnsi(ToAnsi(Text)) == Text;
}

// Quoted, the character would be invisible, blank or would merge with the quote.
bool ShowsByItself(char32_t Character)
{
    if (!QChar::isPrint(Character) || QChar::isSpace(Character))
        return false;
    switch (QChar::category(Character)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return true;
    }
}

} // namespace

bool CanStoreAsAnsi(const QString& Text)
{
    return IsAscii(Text) || RoundTrips(Text);
}

QList<char32_t> UnstorableCharacters(const QString& Text)
{
    QList<char32_t> Result;
    if (CanStoreAsAnsi(Text))
        return Result;
    QSet<char32_t> Checked;
    for (qsizetype Index = 0; Index < Text.size();) {
        const auto [Character, Units] = CharacterAt(Text, Index);
        Index += Units;
        if (Character < 0x80 || Checked.contains(Character))
            continue;
        Checked.insert(Character);
        if (!RoundTrips(TextOf(Character)))
            Result.append(Character);
    }
    return Result;
}

QString DescribeCharacters(const QList<char32_t>& Characters, qsizetype MaxShown)
{
    QStringList Parts;
    for (qsizetype Index = 0; Index < Characters.size() && Index < MaxShown; ++Index) {
        const char32_t Character = Characters[Index];
        if (ShowsByItself(Character))
            Parts.append(QLatin1Char('\'') + TextOf(Character) + QLatin1Char('\''));
        else
            Parts.append(QStringLiteral("U+%1").arg(uint(Character), 4, 16, QLatin1Char('0')).toUpper());
    }
    QString Result = Parts.join(QStringLiteral(", "));
    if (Characters.size() > MaxShown)
        Result += QStringLiteral(" and %1 more").arg(Characters.size() - MaxShown);
    return Result;
}

QString DescribeUnstorableCharacters(const QString& Text)
{
    return DescribeCharacters(UnstorableCharacters(Text));
}
