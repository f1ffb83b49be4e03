#include "cli/TargetChecks.h"

#include "model/PackageReader.h"

#include <QStringList>

namespace {

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
    for (const QChar Character : Name)
        if (Character.unicode() < 32 || QStringView(u"<>:\"/\\|?*").contains(Character))
            return QStringLiteral("'%1' holds a character Windows forbids").arg(Name);
    if (Name.endsWith(QLatin1Char('.')) || Name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("'%1' ends in a dot or space, which Windows strips").arg(Name);
    if (IsDeviceName(Name))
        return QStringLiteral("'%1' is a device name on Windows").arg(Name);
    return {};
}

TTargetCheck TTargetChecker::Add(const QString& Target)
{
    TTargetCheck Check;
    const QString Relative = SafeRelativeTarget(Target);
    if (Relative.isEmpty()) {
        Check.Problem = QStringLiteral("it would lie outside the folder");
        return Check;
    }
    Check.Relative = Relative;
    const QStringList Parts = Relative.split(QLatin1Char('/'));
    for (const QString& Part : Parts) {
        const QString Problem = WindowsNameProblem(Part);
        if (!Problem.isEmpty()) {
            Check.Problem = QStringLiteral("Windows cannot create it: ") + Problem;
            return Check;
        }
    }

    const QString Key = Relative.toCaseFolded();
    if (const auto Earlier = FFiles.constFind(Key); Earlier != FFiles.cend()) {
        Check.Problem =
            SafeRelativeTarget(*Earlier) == Relative
                ? QStringLiteral("an earlier file has the same target")
                : QStringLiteral("it differs from the earlier target '%1' only in letter case").arg(*Earlier);
        return Check;
    }
    if (const auto Earlier = FFolders.constFind(Key); Earlier != FFolders.cend()) {
        Check.Problem = QStringLiteral("it is a folder of the earlier target '%1'").arg(*Earlier);
        return Check;
    }
    // The folders on the way, shortest first; each is a prefix of Key ending before a separator.
    QStringList Folders;
    for (qsizetype At = Key.indexOf(QLatin1Char('/')); At >= 0; At = Key.indexOf(QLatin1Char('/'), At + 1)) {
        Folders << Key.left(At);
        if (const auto Earlier = FFiles.constFind(Folders.last()); Earlier != FFiles.cend()) {
            Check.Problem = QStringLiteral("the earlier target '%1' is a file where it needs a folder").arg(*Earlier);
            return Check;
        }
    }
    FFiles.insert(Key, Target);
    for (const QString& Folder : Folders)
        if (!FFolders.contains(Folder))
            FFolders.insert(Folder, Target);
    return Check;
}
