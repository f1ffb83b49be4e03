#include "support/TestSupport.h"

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
