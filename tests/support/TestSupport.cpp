#include "support/TestSupport.h"

#include <cctype>
#include <ostream>

QString ReportOf(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (...) {
        return GetExceptionReport();
    }
    ADD_FAILURE() << "no exception thrown";
    return {};
}

void PrintTo(const QString& Value, std::ostream* Stream)
{
    *Stream << '"' << Value.toStdString() << '"';
}

std::string SanitisedTestName(const QString& Text)
{
    std::string Name;
    bool Separate = false;
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const char16_t C = Text[I].unicode();
        const bool Alphanumeric = C < 0x80 && std::isalnum(static_cast<unsigned char>(C));
        const bool Minus =
            C == u'-' && I + 1 < Text.size() && Text[I + 1].isDigit() && (I == 0 || !Text[I - 1].isLetterOrNumber());
        if (!Alphanumeric && !Minus) {
            Separate = !Name.empty();
            continue;
        }
        if (Separate)
            Name += '_';
        Separate = false;
        Name += Minus ? std::string("Minus") : std::string(1, static_cast<char>(C));
    }
    return Name.empty() ? std::string("Empty") : Name;
}

std::string ArgumentsTestName(const QStringList& Arguments)
{
    if (Arguments.isEmpty())
        return "NoArguments";
    QStringList Words;
    for (const QString& Argument : Arguments) {
        if (Argument.isEmpty())
            Words << QStringLiteral("Empty");
        else if (Argument[0] == u'/')
            Words << QStringLiteral("Slash") << Argument.mid(1);
        else if (Argument[0] == u'-')
            Words << QStringLiteral("Minus") << Argument.mid(1);
        else if (Argument[0] == u'+')
            Words << QStringLiteral("Plus") << Argument.mid(1);
        else
            Words << Argument;
    }
    return SanitisedTestName(Words.join(QLatin1Char(' ')));
}
