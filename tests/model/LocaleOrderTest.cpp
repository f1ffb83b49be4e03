#include "model/Data.h"
#include "samples/SampleDefinitions.h"
#include "support/TestSupport.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace SampleDefinitions;

namespace {

// The suites run under C.UTF-8, where names compare code unit by code unit; these cases set a real
// locale, where accents and national letters take their place in the alphabet.
struct TLocaleCase
{
    const char* Locale;
    QStringList Names;
    QStringList Sorted;
    QString Lower, Upper; // the same name in two cases
};

void PrintTo(const TLocaleCase& Case, std::ostream* Stream)
{
    *Stream << Case.Locale;
}

class LocaleOrder : public ::testing::TestWithParam<TLocaleCase>
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QString::fromLatin1(GetParam().Locale))); }
    void TearDown() override { QLocale::setDefault(Previous); }

    const QLocale Previous;
};

TEST_P(LocaleOrder, SortsElementsByTheLocalesAlphabetIgnoringCase)
{
    TTaskTypes Types(true);
    for (const QString& Name : GetParam().Names)
        AddElement<TTaskType>(Types)->Name = Name;
    Types.Sort();
    QStringList Names;
    for (int32_t I = 0; I < Types.Count(); ++I)
        Names << Types.Items(I)->Name;
    EXPECT_EQ(Names, GetParam().Sorted);
    EXPECT_EQ(CompareText(GetParam().Lower, GetParam().Upper), 0);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         LocaleOrder,
                         ::testing::Values(TLocaleCase{"en_US",
                                                       {"zebra", "Éclair", "eagle", "Fig", "apple"},
                                                       {"apple", "eagle", "Éclair", "Fig", "zebra"},
                                                       "éclair",
                                                       "ÉCLAIR"},
                                           TLocaleCase{"sv_SE",
                                                       {"Ödla", "zebra", "Åsna", "apple", "ärla"},
                                                       {"apple", "zebra", "Åsna", "ärla", "Ödla"},
                                                       "ödla",
                                                       "ÖDLA"}),
                         PrintedTestName());

} // namespace
