#include "cli/Commands.h"
#include "model/Data.h"
#include "model/DefinitionJson.h"
#include "model/DefinitionJsonFields.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>
#include <vector>

namespace {

QString Shown(const QJsonValue& Value)
{
    if (Value.isUndefined())
        return QStringLiteral("(none)");
    if (Value.isObject() && Value.toObject().contains(QLatin1String("ID")))
        return TerminalSafe(Value.toObject().value(QLatin1String("ID")).toString()) + QLatin1Char(' ') +
               TerminalSafe(Value.toObject().value(QLatin1String("Name")).toString());
    if (Value.isArray() || Value.isObject())
        return QString::fromUtf8(Value.isArray() ? QJsonDocument(Value.toArray()).toJson(QJsonDocument::Compact)
                                                 : QJsonDocument(Value.toObject()).toJson(QJsonDocument::Compact));
    return QString::fromUtf8(QJsonDocument(QJsonArray{Value}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

// How an element is matched between the two sides: its ID, or for support files (which have none)
// the files they stand for.
QString KeyOf(const QJsonObject& Item)
{
    if (Item.contains(QLatin1String("ID")))
        return Item.value(QLatin1String("ID")).toString();
    return Item.value(QLatin1String("SourceFilePath")).toString() + QLatin1Char('\\') +
           Item.value(QLatin1String("SourceFileName")).toString();
}

// How an element is shown in a path: its key and name, made safe to print (the values themselves
// are shown as JSON, which escapes control characters already).
QString LabelOf(const QJsonObject& Item)
{
    const QString Key = TerminalSafe(KeyOf(Item));
    const QJsonValue Name = Item.value(QLatin1String("Name"));
    if (Name.isString())
        return Key + QLatin1Char(' ') + TerminalSafe(Name.toString());
    const QJsonValue Type = Item.value(QLatin1String("Type"));
    return Type.isUndefined() ? Key : Key + QLatin1Char(' ') + Shown(Type);
}

// The fields of an element in the order a difference is shown: the text's, but for the few the
// table places elsewhere.
std::vector<const TJsonField*> ShownOrder(const TJsonTable& Table)
{
    std::vector<const TJsonField*> Order;
    std::vector<const TJsonField*> AtEnd;
    const TJsonField* Held = nullptr;
    for (const TJsonField& Field : Table.Fields) {
        if (Field.Shown == TJsonShown::AtEnd) {
            AtEnd.push_back(&Field);
            continue;
        }
        if (Field.Shown == TJsonShown::AfterNext) {
            Held = &Field;
            continue;
        }
        Order.push_back(&Field);
        if (Held)
            Order.push_back(std::exchange(Held, nullptr));
    }
    if (Held)
        Order.push_back(Held);
    Order.insert(Order.end(), AtEnd.begin(), AtEnd.end());
    return Order;
}

class TDiffer
{
public:
    QStringList Lines;

    void Objects(const QString& Path, const QJsonObject& A, const QJsonObject& B, const TJsonTable& Table)
    {
        for (const TJsonField* Field : ShownOrder(Table)) {
            const QString Key = QLatin1String(Field->Name.data(), qsizetype(Field->Name.size()));
            const QJsonValue Left = A.value(Key);
            const QJsonValue Right = B.value(Key);
            const QString Where = Path.isEmpty() ? Key : Path + QLatin1Char('/') + Key;
            if (Field->Kind == TJsonFieldKind::Owned)
                List(Where, Left.toObject(), Right.toObject(), *Field->Items);
            else if (Field->Kind == TJsonFieldKind::References)
                References(Where, Left.toObject(), Right.toObject());
            else if (Left != Right && Shown(Left) != Shown(Right))
                Lines << QStringLiteral("~ %1: %2 -> %3").arg(Where, Shown(Left), Shown(Right));
        }
    }

private:
    void Expanded(const QString& Path, const QJsonObject& A, const QJsonObject& B)
    {
        const QJsonValue LeftExpanded = A.value(QLatin1String("Expanded"));
        const QJsonValue RightExpanded = B.value(QLatin1String("Expanded"));
        if (LeftExpanded != RightExpanded)
            Lines << QStringLiteral("~ %1/Expanded: %2 -> %3").arg(Path, Shown(LeftExpanded), Shown(RightExpanded));
    }

    // Positions move when other elements come and go; what is referred to is what counts.
    void References(const QString& Path, const QJsonObject& A, const QJsonObject& B)
    {
        Expanded(Path, A, B);
        QStringList Was;
        QStringList Is;
        QStringList WasIDs;
        QStringList IsIDs;
        for (const QJsonValue& Item : A.value(QLatin1String("Items")).toArray())
            Was << Shown(Item), WasIDs << KeyOf(Item.toObject());
        for (const QJsonValue& Item : B.value(QLatin1String("Items")).toArray())
            Is << Shown(Item), IsIDs << KeyOf(Item.toObject());
        if (WasIDs != IsIDs)
            Lines << QStringLiteral("~ %1: [%2] -> [%3]")
                         .arg(Path, Was.join(QStringLiteral(", ")), Is.join(QStringLiteral(", ")));
    }

    void List(const QString& Path, const QJsonObject& A, const QJsonObject& B, const TJsonTable& Items)
    {
        Expanded(Path, A, B);
        const QJsonArray Left = A.value(QLatin1String("Items")).toArray();
        const QJsonArray Right = B.value(QLatin1String("Items")).toArray();
        // The n-th element with a key on one side matches the n-th with that key on the other, so
        // that duplicated IDs still pair up.
        QHash<QString, QList<qsizetype>> RightByKey;
        for (qsizetype I = 0; I < Right.size(); ++I)
            RightByKey[KeyOf(Right[I].toObject())].append(I);
        QList<bool> Matched(Right.size(), false);
        for (const QJsonValue& Value : Left) {
            const QJsonObject Item = Value.toObject();
            QList<qsizetype>& Candidates = RightByKey[KeyOf(Item)];
            if (Candidates.isEmpty()) {
                Lines << QStringLiteral("- %1/%2").arg(Path, LabelOf(Item));
                continue;
            }
            const qsizetype Index = Candidates.takeFirst();
            Matched[Index] = true;
            Objects(Path + QLatin1Char('/') + LabelOf(Item), Item, Right[Index].toObject(), Items);
        }
        for (qsizetype I = 0; I < Right.size(); ++I)
            if (!Matched[I])
                Lines << QStringLiteral("+ %1/%2").arg(Path, LabelOf(Right[I].toObject()));
    }
};

QJsonObject Normalised(const QString& FileName)
{
    TData Data;
    LoadDefinitionOrJson(Data, FileName);
    return QJsonDocument::fromJson(DefinitionToJson(Data)).object();
}

class TDiffCommand : public TCommand
{
public:
    QString Name() const override { return QStringLiteral("diff"); }
    QString Summary() const override { return QStringLiteral("compare two definitions field by field"); }
    QString Usage() const override { return QStringLiteral("diff A B"); }
    QString Help() const override
    {
        return QStringLiteral(
            "Compares two definitions, each a definition file or its JSON dump. Elements are matched by\n"
            "list and ID (support files by their source path and name). Each line is one difference:\n"
            "  - LIST/ID NAME            removed in B\n"
            "  + LIST/ID NAME            added in B\n"
            "  ~ PATH/FIELD: OLD -> NEW  changed\n"
            "Lines follow A's order, elements added in B after the others of their list.\n"
            "Exit code 2 when the definitions differ.\n");
    }
    int MinimumPositional() const override { return 2; }
    int MaximumPositional() const override { return 2; }

    int Run(const TParsedArguments& Arguments, TCliIO& IO) const override
    {
        TDiffer Differ;
        Differ.Objects(
            {}, Normalised(Arguments.Positional[0]), Normalised(Arguments.Positional[1]), PackageJsonTable());
        if (Differ.Lines.isEmpty())
            return ceSuccess;
        Print(IO.Out, Differ.Lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return ceFound;
    }
};

} // namespace

std::unique_ptr<TCommand> MakeDiffCommand()
{
    return std::make_unique<TDiffCommand>();
}
