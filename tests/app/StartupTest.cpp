// The program's own entry sequence, in process and without a GUI.

#include "app/Startup.h"

#include "foundation/ObjectClipboard.h"
#include "model/ElementRegistry.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Before anything else, in either mode and whatever the command line holds, the element classes
// join the clipboard holder's registry: a second instance's paste depends on it.
TEST(Startup, RegistersTheElementClassesInEitherMode)
{
    if (QCoreApplication::instance())
        GTEST_SKIP() << "another test left an application object; run this test in its own process";
    TQORObjectClipboard::UnregisterAllClasses();
    RegisterElementClasses();
    const std::vector<const TQORClass*> Classes = TQORObjectClipboard::RegisteredClasses();
    ASSERT_FALSE(Classes.empty());
    const std::vector<std::vector<const char*>> CommandLines{
        {"quillon"}, {"quillon", "/c", "/fd", "missing.cpd", "/fp", "x.cpk", "-q"}, {"quillon", "a.cpd", "b.cpd"}};
    for (const std::vector<const char*>& CommandLine : CommandLines) {
        TQORObjectClipboard::UnregisterAllClasses();
        std::vector<QByteArray> Storage(CommandLine.begin(), CommandLine.end());
        std::vector<char*> Argv;
        for (QByteArray& Argument : Storage)
            Argv.push_back(Argument.data());
        Argv.push_back(nullptr);
        int Argc = int(Storage.size());
        EXPECT_EQ(QuillonMain(Argc, Argv.data(), nullptr), 1);
        EXPECT_EQ(TQORObjectClipboard::RegisteredClasses(), Classes) << CommandLine.size() << " words";
    }
    TQORObjectClipboard::UnregisterAllClasses();
}

} // namespace
