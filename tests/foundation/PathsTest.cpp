#include "foundation/Paths.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// Expected paths are written with "/" for the platform separator where the code adds one;
// Windows-written "\" stays.
QString Native(const char* Text)
{
    return QString::fromUtf8(Text).replace(QLatin1Char('/'), QDir::separator());
}

TEST(Paths, CombineKeepsOneDelimiterOfEitherKind)
{
    const struct
    {
        const char *Directory, *Name, *Expected;
    } Cases[] = {{"", "a.txt", "a.txt"},
                 {"dir", "a.txt", "dir/a.txt"},
                 {"dir/", "a.txt", "dir/a.txt"},
                 {"dir/", "", "dir"},
                 {"/", "", "/"},
                 {"C:\\dir\\", "a.txt", "C:\\dir\\a.txt"},
                 {"C:\\dir\\", "", "C:\\dir"}};
    for (const auto& Case : Cases)
        EXPECT_EQ(CombinePath(QString::fromUtf8(Case.Directory), QString::fromUtf8(Case.Name)), Native(Case.Expected))
            << Case.Directory << " + " << Case.Name;
}

TEST(Paths, FolderPartKeepsTheDelimiterAndExtractDirectoryDropsItBelowTheRoot)
{
    const struct
    {
        const char *FileName, *Folder, *Directory;
    } Cases[] = {{"/home/me/Demo.cpd", "/home/me/", "/home/me"},
                 {"/Demo.cpd", "/", "/"},
                 {"Demo.cpd", "", ""},
                 {"dir/", "dir/", "dir"},
                 {"C:\\dir\\Demo.cpd", "C:\\dir\\", "C:\\dir"},
                 {"C:\\Demo.cpd", "C:\\", "C:\\"},
                 {"C:Demo.cpd", "C:", "C:"},
                 {"\\\\server\\share\\Demo.cpd", "\\\\server\\share\\", "\\\\server\\share"},
                 {"mixed/dir\\Demo.cpd", "mixed/dir\\", "mixed/dir"}};
    for (const auto& Case : Cases) {
        EXPECT_EQ(FolderPart(QString::fromUtf8(Case.FileName)), QString::fromUtf8(Case.Folder)) << Case.FileName;
        EXPECT_EQ(ExtractDirectory(QString::fromUtf8(Case.FileName)), QString::fromUtf8(Case.Directory))
            << Case.FileName;
    }
#ifndef Q_OS_WIN
    EXPECT_EQ(FolderPart(QStringLiteral("notes:v2.txt")), QString()) << "a colon inside a name is no drive";
#endif
}

TEST(Paths, DrivesAndShares)
{
    for (const char* Drive : {"C:\\dir\\a.dll", "c:a.dll", "\\\\server\\share\\a.dll"})
        EXPECT_TRUE(HasDrive(QString::fromUtf8(Drive))) << Drive;
    for (const char* NoDrive : {"dir\\a.dll", "1:\\a.dll", "", "a"})
        EXPECT_FALSE(HasDrive(QString::fromUtf8(NoDrive))) << NoDrive;
#ifndef Q_OS_WIN
    EXPECT_TRUE(HasDrive(QStringLiteral("/usr/lib/a.so")));
#endif
}

} // namespace
