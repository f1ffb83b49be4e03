#pragma once

// Helpers shared by the test suites.

#include "foundation/QORExceptions.h"

#include <QString>

#include <gtest/gtest.h>

#include <functional>

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
