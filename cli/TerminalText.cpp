#include "cli/TerminalText.h"

namespace {

// Marks that change the order or direction in which a terminal lays out what follows them.
bool Reorders(char16_t Unit)
{
    return Unit == 0x061C || Unit == 0x200E || Unit == 0x200F || (Unit >= 0x202A && Unit <= 0x202E) ||
           (Unit >= 0x2066 && Unit <= 0x2069) || Unit == 0x2028 || Unit == 0x2029;
}

bool NeedsEscape(char16_t Unit)
{
    return Unit < 0x20 || (Unit >= 0x7F && Unit <= 0x9F) || Reorders(Unit);
}

bool IsHexDigit(QChar Character)
{
    const char16_t Unit = Character.unicode();
    return (Unit >= '0' && Unit <= '9') || (Unit >= 'a' && Unit <= 'f') || (Unit >= 'A' && Unit <= 'F');
}

// Whether the text from Index on reads as one of the escapes below, so that a backslash in front
// of it must be told apart: "x" and the two digits of a C0 control, of DEL or of the backslash
// itself, or "u" and four digits.
bool ReadsAsEscape(const QString& Text, qsizetype Index)
{
    const qsizetype Left = Text.size() - Index;
    if (Left >= 3 && Text[Index] == QLatin1Char('x')) {
        const QChar High = Text[Index + 1];
        const QChar Low = Text[Index + 2];
        if (!IsHexDigit(Low))
            return false;
        const auto LowIs = [Low](char Digit) { return Low.toLower() == QLatin1Char(Digit); };
        return High == QLatin1Char('0') || High == QLatin1Char('1') || (High == QLatin1Char('7') && LowIs('f')) ||
               (High == QLatin1Char('5') && LowIs('c'));
    }
    if (Left >= 5 && Text[Index] == QLatin1Char('u')) {
        for (qsizetype I = Index + 1; I < Index + 5; ++I)
            if (!IsHexDigit(Text[I]))
                return false;
        return true;
    }
    return false;
}

void AppendEscape(QString& Out, char16_t Unit)
{
    static const char Hex[] = "0123456789abcdef";
    if (Unit < 0x80) {
        Out += QLatin1String("\\x");
    } else {
        Out += QLatin1String("\\u");
        Out += QLatin1Char(Hex[(Unit >> 12) & 15]);
        Out += QLatin1Char(Hex[(Unit >> 8) & 15]);
    }
    Out += QLatin1Char(Hex[(Unit >> 4) & 15]);
    Out += QLatin1Char(Hex[Unit & 15]);
}

QString Escaped(const QString& Text, bool Lines)
{
    const auto Escapes = [Lines](char16_t Unit) { return NeedsEscape(Unit) && !(Lines && Unit == '\n'); };
    qsizetype First = 0;
    for (; First < Text.size(); ++First) {
        const char16_t Unit = Text[First].unicode();
        if (Escapes(Unit) || (!Lines && Unit == '\\' && ReadsAsEscape(Text, First + 1)))
            break;
    }
    // Nearly every text has nothing to escape: it is handed back as it is, without a copy.
    if (First == Text.size())
        return Text;
    QString Out;
    Out.reserve(Text.size() + 16);
    Out += QStringView(Text).left(First);
    for (qsizetype I = First; I < Text.size(); ++I) {
        const char16_t Unit = Text[I].unicode();
        if (Escapes(Unit) || (!Lines && Unit == '\\' && ReadsAsEscape(Text, I + 1)))
            AppendEscape(Out, Unit);
        else
            Out += QChar(Unit);
    }
    return Out;
}

} // namespace

QString TerminalSafe(const QString& Text)
{
    return Escaped(Text, false);
}

QString TerminalLines(const QString& Text)
{
    return Escaped(Text, true);
}
