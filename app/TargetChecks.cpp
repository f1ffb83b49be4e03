#include "app/TargetChecks.h"

#include "model/PackageReader.h"

#include <QStringList>

namespace {

// The longest name NTFS holds, and the longest path Windows opens, in UTF-16 units.
constexpr qsizetype MaximumNameLength = 255;
constexpr qsizetype MaximumPathLength = 32767;
// Far deeper than any package goes; it bounds what a hostile one makes extract create and remove.
constexpr qsizetype MaximumDepth = 256;

bool IsDeviceName(const QString& Name)
{
    // Windows takes the part before the first dot, without trailing spaces, as the device.
    QString Base = Name.section(QLatin1Char('.'), 0, 0);
    while (Base.endsWith(QLatin1Char(' ')))
        Base.chop(1);
    Base = Base.toUpper();
    static const QString Plain[] = {QStringLiteral("CON"),
                                    QStringLiteral("PRN"),
                                    QStringLiteral("AUX"),
                                    QStringLiteral("NUL"),
                                    QStringLiteral("CONIN$"),
                                    QStringLiteral("CONOUT$")};
    for (const QString& Device : Plain)
        if (Base == Device)
            return true;
    if (Base.size() != 4 || !(Base.startsWith(QLatin1String("COM")) || Base.startsWith(QLatin1String("LPT"))))
        return false;
    const QChar Number = Base[3];
    // Digits, and the superscripts one to three that Windows also counts as digits there.
    return (Number >= QLatin1Char('0') && Number <= QLatin1Char('9')) || Number == QChar(0x00B9) ||
           Number == QChar(0x00B2) || Number == QChar(0x00B3);
}

} // namespace

QString WindowsNameProblem(const QString& Name)
{
    if (Name.isEmpty())
        return QStringLiteral("an empty name");
    if (Name.size() > MaximumNameLength)
        return QStringLiteral("'%1...' is longer than %2 characters").arg(Name.left(32)).arg(MaximumNameLength);
    for (const QChar Character : Name)
        if (Character.unicode() < 32 || QStringView(u"<>:\"/\\|?*").contains(Character))
            return QStringLiteral("'%1' holds a character Windows forbids").arg(Name);
    if (Name.endsWith(QLatin1Char('.')) || Name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("'%1' ends in a dot or space, which Windows strips").arg(Name);
    if (IsDeviceName(Name))
        return QStringLiteral("'%1' is a device name on Windows").arg(Name);
    return {};
}

TTargetChecker::TTargetChecker() : FNodes(1) {}

TTargetCheck TTargetChecker::Add(const QString& Target)
{
    TTargetCheck Check;
    const QString Relative = SafeRelativeTarget(Target);
    if (Relative.isEmpty()) {
        Check.Problem = QStringLiteral("it would lie outside the folder");
        return Check;
    }
    Check.Relative = Relative;
    if (Relative.size() > MaximumPathLength) {
        Check.Problem =
            QStringLiteral("Windows cannot create it: it is longer than %1 characters").arg(MaximumPathLength);
        return Check;
    }
    const QStringList Parts = Relative.split(QLatin1Char('/'));
    if (Parts.size() > MaximumDepth) {
        Check.Problem = QStringLiteral("it lies more than %1 folders deep").arg(MaximumDepth);
        return Check;
    }
    QStringList Folded;
    for (const QString& Part : Parts) {
        const QString Problem = WindowsNameProblem(Part);
        if (!Problem.isEmpty()) {
            Check.Problem = QStringLiteral("Windows cannot create it: ") + Problem;
            return Check;
        }
        Folded << Part.toCaseFolded();
    }

    qsizetype Node = 0;
    for (qsizetype I = 0; I < Folded.size(); ++I) {
        const auto Child = FNodes[size_t(Node)].Children.constFind(Folded[I]);
        if (Child == FNodes[size_t(Node)].Children.cend())
            break;
        Node = *Child;
        const TNode& Earlier = FNodes[size_t(Node)];
        const bool Last = I + 1 == Folded.size();
        if (!Earlier.File.isEmpty() && !Last)
            Check.Problem =
                QStringLiteral("the earlier target '%1' is a file where it needs a folder").arg(Earlier.File);
        else if (!Earlier.File.isEmpty() && SafeRelativeTarget(Earlier.File) == Relative)
            Check.Problem = QStringLiteral("an earlier file has the same target");
        else if (!Earlier.File.isEmpty())
            Check.Problem =
                QStringLiteral("it differs from the earlier target '%1' only in letter case").arg(Earlier.File);
        else if (Last)
            Check.Problem = QStringLiteral("it is a folder of the earlier target '%1'").arg(Earlier.FirstTarget);
        if (!Check.Problem.isEmpty())
            return Check;
    }

    Node = 0;
    for (const QString& Name : Folded) {
        auto Child = FNodes[size_t(Node)].Children.constFind(Name);
        if (Child != FNodes[size_t(Node)].Children.cend()) {
            Node = *Child;
            continue;
        }
        const qsizetype Added = qsizetype(FNodes.size());
        FNodes[size_t(Node)].Children.insert(Name, Added);
        FNodes.push_back({{}, {}, Target});
        Node = Added;
    }
    FNodes[size_t(Node)].File = Target;
    return Check;
}
