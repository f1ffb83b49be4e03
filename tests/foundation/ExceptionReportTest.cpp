#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <ios>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>

namespace {

class ExceptionReport : public ::testing::Test
{
protected:
    void SetUp() override { RegisterMessageProvider(ApplicationMessageProvider); }
    void TearDown() override { ClearMessageProviders(); }
};

template <class E> QString Report(const QString& Message = {})
{
    return ReportOf([&] { throw E(Message); });
}

TEST_F(ExceptionReport, DefaultMessagesStandAlone)
{
    EXPECT_EQ(Report<E_QOR_InvalidCommandLineParameters>(), "Invalid command line parameters.");
    EXPECT_EQ(Report<E_QOR_LoadingError>(), "Loading error.");
}

TEST_F(ExceptionReport, ClassRowWinsOverParentRow)
{
    EXPECT_EQ(Report<E_QOR_ErrorOpeningFileForReading>(), "Error opening file for reading.");
    EXPECT_EQ(Report<E_QOR_ErrorOpeningFileForWriting>(), "Error opening file for writing.");
    EXPECT_EQ(Report<E_QOR_ErrorOpeningFile>(), "Error opening file.");
}

TEST_F(ExceptionReport, MessageJoinsDefaultWithFullStop)
{
    EXPECT_EQ(Report<E_QOR_ErrorOpeningFile>("File name='a.cpd'"), "Error opening file. File name='a.cpd'.");
    EXPECT_EQ(Report<E_QOR>("Bad value"), "Bad value.");
    EXPECT_EQ(Report<E_QOR>("Invalid call to DecBusyCursor."), "Invalid call to DecBusyCursor.");
    EXPECT_EQ(Report<E_QOR>(), "Unknown error.");
    EXPECT_EQ(Report<E_APP>(), "Unknown error.");
}

TEST_F(ExceptionReport, ProviderAnswersForExportErrorOnly)
{
    EXPECT_EQ(Report<E_APP_ExportError>("Code package name not set"), "Export error. Code package name not set.");
    EXPECT_EQ(Report<E_APP_ExportError>(), "Export error.");
    ClearMessageProviders();
    EXPECT_EQ(Report<E_APP_ExportError>("X"), "X.");
    // Every class of the table is of the family, the application's included.
    EXPECT_THROW(throw E_APP_ExportError(), E_QOR);
}

TEST_F(ExceptionReport, StandardLibraryErrorsMapToRuntimeTexts)
{
    EXPECT_EQ(ReportOf([] { throw std::bad_alloc(); }), "Out of memory.");
    EXPECT_EQ(ReportOf([] { throw std::ios_base::failure("x"); }), "I/O error.");
    EXPECT_EQ(ReportOf([] { throw std::filesystem::filesystem_error("x", std::error_code()); }), "I/O error.");
    // The operating system's reason stays; the library's wording around it does not.
    const auto Denied = std::make_error_code(std::errc::permission_denied);
    EXPECT_EQ(ReportOf([&] { throw std::system_error(Denied, "open"); }), "Permission denied.");
    EXPECT_EQ(ReportOf([&] { throw std::filesystem::filesystem_error("copy", "/data/a.cpd", Denied); }),
              "Permission denied. File name='/data/a.cpd'.");
    EXPECT_EQ(ReportOf([&] {
                  try {
                      throw std::system_error(Denied);
                  } catch (...) {
                      AddSentenceAndRethrow("File name='b.cpd'.");
                  }
              }),
              "Permission denied. File name='b.cpd'.");
    EXPECT_EQ(ReportOf([] { throw std::bad_cast(); }), "Invalid cast.");
    EXPECT_EQ(ReportOf([] { throw std::out_of_range("vector"); }), "Integer range error.");
    EXPECT_EQ(ReportOf([] { throw std::runtime_error("Disk on fire"); }), "Disk on fire.");
    EXPECT_EQ(ReportOf([] { throw std::runtime_error(""); }), "Unknown error.");
    EXPECT_EQ(ReportOf([] { throw 42; }), "Unknown error.");
}

TEST_F(ExceptionReport, RuntimeKindTextOnlyWhenMessageIsEmpty)
{
    EXPECT_EQ(ReportOf([] { throw ERuntime(TRuntimeErrorKind::DivByZero, {}); }), "Integer divide by zero error.");
    EXPECT_EQ(ReportOf([] { throw ERuntime(TRuntimeErrorKind::DivByZero, "Division in row 3"); }),
              "Division in row 3.");
    EXPECT_EQ(ReportOf([] { throw EOleSysError(0x80004005u); }), "Ole sys error. Error code=80004005h.");
    EXPECT_EQ(ReportOf([] { throw EOleException(0x8000FFFFu, "Lib", "help.chm"); }),
              "Ole exception. Error code=8000FFFFh. Source='Lib'. Help file='help.chm'.");
}

TEST_F(ExceptionReport, ExceptionBoxShowsTheReportAsAWarningWithTheDefaultCaption)
{
    TScriptedUserSeam Seam;
    TUserSeamGuard Guard(&Seam);
    try {
        throw E_QOR_ErrorOpeningFile("File name='a.cpd'");
    } catch (...) {
        ShowExceptionBox(nullptr);
    }
    ASSERT_EQ(Seam.Messages.size(), 1u);
    EXPECT_EQ(Seam.Messages[0].Text, "Error opening file. File name='a.cpd'.");
    EXPECT_TRUE(Seam.Messages[0].Caption.isEmpty());
    EXPECT_EQ(Seam.Messages[0].Buttons, TMessageButtons::OK);
    EXPECT_EQ(Seam.Messages[0].Icon, TMessageIcon::Warning);
}

TEST(AddSentence, FollowsTheSentenceRule)
{
    EXPECT_EQ(AddSentence("", "File name='x'."), "File name='x'.");
    EXPECT_EQ(AddSentence("Loading error", "File name='x'."), "Loading error. File name='x'.");
    EXPECT_EQ(AddSentence("Done.", "Next."), "Done. Next.");
}

TEST(AddSentence, ExtendsTheExceptionBeingHandled)
{
    const QString Text = ReportOf([] {
        try {
            throw E_QOR_LoadingError();
        } catch (...) {
            AddSentenceAndRethrow("File name='a.cpd'.");
        }
    });
    EXPECT_EQ(Text, "Loading error. File name='a.cpd'.");

    const QString Foreign = ReportOf([] {
        try {
            throw std::bad_alloc();
        } catch (...) {
            AddSentenceAndRethrow("File name='a.cpd'.");
        }
    });
    EXPECT_EQ(Foreign, "Out of memory. File name='a.cpd'.");

    // In place, for a handler that rethrows itself; exceptions that are not ours stay as they were.
    const QString InPlace = ReportOf([] {
        try {
            throw E_QOR_InvalidData("Row 3");
        } catch (...) {
            AddSentence("File name='x'.");
            throw;
        }
    });
    EXPECT_EQ(InPlace, "Invalid data. Row 3. File name='x'.");
    const QString Untouched = ReportOf([] {
        try {
            throw std::runtime_error("Disk on fire");
        } catch (...) {
            AddSentence("File name='x'.");
            throw;
        }
    });
    EXPECT_EQ(Untouched, "Disk on fire.");
}

TEST(DescribeHResult, KnownUnknownAndAccessViolation)
{
    EXPECT_EQ(DescribeHResult(static_cast<HResult>(0xC0000005u)), "Access violation.");
    EXPECT_EQ(DescribeHResult(static_cast<HResult>(0x8123ABCDu)), "HRESULT=8123ABCDH");
    EXPECT_EQ(DescribeHResult(QOR_E_INVALIDARG), "The parameter is incorrect.");
    EXPECT_EQ(ReportOf([] { OleCheck(static_cast<HResult>(0x8123ABCDu)); }), "COM error. HRESULT=8123ABCDH.");
    EXPECT_NO_THROW(OleCheck(QOR_S_FALSE));
}

} // namespace
