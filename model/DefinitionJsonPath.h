#pragma once

// Where a value stands in a definition's JSON text, and the report of a value that is JSON but not
// what the package needs there: shared by the reader and what it settles after the text.

#include <QLatin1String>
#include <QString>

#include <string_view>

// A value that is JSON but not what the package needs there.
struct TValueFault
{
    QString Message;
};

// Where a value stands in the text ("CodeModules.Items[2].Name"), linked from the values around it
// and spelt out only for a report: most values are read without one.
struct TPath
{
    const TPath* Parent = nullptr;
    std::string_view Name;
    qsizetype Index = -1;

    QString Text() const
    {
        QString Head = Parent ? Parent->Text() : QString();
        if (Name.data()) {
            const QLatin1String Own(Name.data(), qsizetype(Name.size()));
            return Head.isEmpty() ? QString(Own) : Head + QLatin1Char('.') + Own;
        }
        if (Index >= 0)
            return Head + QLatin1Char('[') + QString::number(Index) + QLatin1Char(']');
        return Head;
    }
};

inline TPath Member(const TPath& Path, std::string_view Name)
{
    return {&Path, Name, -1};
}

inline TPath Element(const TPath& Path, qsizetype Index)
{
    return {&Path, {}, Index};
}

[[noreturn]] inline void Fail(const TPath& Path, const QString& What)
{
    throw TValueFault{Path.Text() + QStringLiteral(": expected ") + What};
}
