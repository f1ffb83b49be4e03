#pragma once

// Helpers shared by the test suites.

#include "foundation/QORExceptions.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <string>

// The report text of whatever Action throws; fails the test when it throws nothing.
QString ReportOf(const std::function<void()>& Action);

// Asserts that Action throws exactly the class E (or a subclass) and returns its report text.
template <class E> QString ExpectThrowReport(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const E&) {
        return GetExceptionReport();
    } catch (...) {
        ADD_FAILURE() << "unexpected exception: " << GetExceptionReport().toStdString();
        return {};
    }
    ADD_FAILURE() << "no exception thrown";
    return {};
}

// Lets gtest print QStrings in failure messages.
void PrintTo(const QString& Value, std::ostream* Stream);

// A parameterised test's name made of Text: each run of other characters than ASCII letters and
// digits becomes one underscore, a minus sign before a number reads "Minus", "Empty" when nothing
// is left. Keeps ctest's list readable where gtest would print the case's bytes.
std::string SanitisedTestName(const QString& Text);

// Names a parameterised case after its printed value, for tables whose PrintTo is short and
// tells the cases apart.
struct PrintedTestName
{
    template <class T> std::string operator()(const testing::TestParamInfo<T>& Info) const
    {
        return SanitisedTestName(QString::fromStdString(testing::PrintToString(Info.param)));
    }
};

// A test name for a command line, with the signs that make an argument a command or a switch
// spelt out ("/c", "-q" -> "Slash_c_Minus_q"); "NoArguments" for none.
std::string ArgumentsTestName(const QStringList& Arguments);
