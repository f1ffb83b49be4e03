#pragma once

// The exception family. Every failure in the program is one of these classes; the user sees an
// exception as its report text (GetExceptionReport): the class's default message, a space, and the
// exception's own message with a full stop added.

#include <QString>

#include <cstdint>
#include <exception>
#include <functional>

// The kinds of error the runtime itself raises. Each has a fixed text that stands in for an empty
// message. Standard-library and Qt exceptions are mapped onto these kinds by RuntimeErrorKindOf.
enum class TRuntimeErrorKind
{
    Unknown,
    Abort,
    OutOfMemory,
    InOut,
    External,
    InvalidCast,
    Convert,
    AccessViolation,
    Privilege,
    StackOverflow,
    ControlC,
    Variant,
    Assertion,
    IntfCast,
    OSError,
    DivByZero,
    RangeError,
    IntOverflow,
    IntError,
    InvalidOp,
    ZeroDivide,
    Overflow,
    Underflow,
    MathError,
    InvalidPointer,
    Heap,
    OleException,
    OleSysError,
    OleError,
    Database,
};

// The root of every exception the program raises itself. It carries a message that may be empty and
// that AddSentence may extend while the exception is being handled.
class ERuntime : public std::exception
{
public:
    ERuntime() = default;
    explicit ERuntime(const QString& Message);
    ERuntime(TRuntimeErrorKind Kind, const QString& Message);

    const QString& Message() const { return FMessage; }
    void SetMessage(const QString& Message);
    TRuntimeErrorKind Kind() const { return FKind; }

    // The class's fixed default message; empty for classes that have none.
    virtual QString DefaultMessage() const;
    const char* what() const noexcept override;

protected:
    // Text of the OLE kinds, which embed their code, source and help file.
    uint32_t FErrorCode = 0;
    QString FSource;
    QString FHelpFile;

private:
    TRuntimeErrorKind FKind = TRuntimeErrorKind::Unknown;
    QString FMessage;
    QByteArray FWhat;

    friend QString RuntimeDefaultText(const ERuntime& Error);
};

// A COM-style failure from a platform interface, with its code, source and help file.
class EOleException : public ERuntime
{
public:
    EOleException(uint32_t Code, const QString& Source, const QString& HelpFile, const QString& Message = {});
};

class EOleSysError : public ERuntime
{
public:
    explicit EOleSysError(uint32_t Code, const QString& Message = {});
};

#define QOR_DECLARE_EXCEPTION(Name, Parent)                                                                            \
    class Name : public Parent                                                                                         \
    {                                                                                                                  \
    public:                                                                                                            \
        using Parent::Parent;                                                                                          \
        QString DefaultMessage() const override;                                                                       \
    };

class E_QOR : public ERuntime
{
public:
    using ERuntime::ERuntime;
    QString DefaultMessage() const override;
};

QOR_DECLARE_EXCEPTION(E_QOR_UnknownError, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ProgramError, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_COMError, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_Failed, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidArg, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidData, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidCall, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_NotImplemented, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ObjectFailedToCreate, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_FileDoesNotExist, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_UnrecognisedDataFormat, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidReferenceCount, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_LoadingError, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_SavingError, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidFilename, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidFileMode, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ErrorOpeningFile, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ErrorOpeningFileForReading, E_QOR_ErrorOpeningFile)
QOR_DECLARE_EXCEPTION(E_QOR_ErrorOpeningFileForWriting, E_QOR_ErrorOpeningFile)
QOR_DECLARE_EXCEPTION(E_QOR_UnrecognisedFileExtension, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ErrorCreatingFile, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_DataHasEssentialInformationMissing, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_OperationCancelled, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ListItemHasNoParent, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_EnumerationOutOfRange, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidListItemIndex, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ListNeedsToOwnItemsForThisOperation, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ListItemIsAlreadyOwned, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_ObjectPointerIsNil, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidObjectType, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidCommandLineParameters, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_AlreadyEnabled, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_DataNotAvailable, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_DeviceInUse, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_FailedToEnableDevice, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_DeviceIsNotEnabled, E_QOR)
QOR_DECLARE_EXCEPTION(E_QOR_InvalidCalibrationData, E_QOR)

// Application exceptions, members of the E_QOR family like every other. Their default messages come
// from the message provider the application registers at start-up, not from the table above.
class E_APP : public E_QOR
{
public:
    using E_QOR::E_QOR;
};

class E_APP_ExportError : public E_APP
{
public:
    using E_APP::E_APP;
};

// The result code of a stream or platform call: negative means failure.
using HResult = int32_t;

constexpr HResult QOR_S_OK = 0;
constexpr HResult QOR_S_FALSE = 1;
constexpr HResult QOR_E_NOTIMPL = static_cast<HResult>(0x80004001u);
constexpr HResult QOR_E_NOINTERFACE = static_cast<HResult>(0x80004002u);
constexpr HResult QOR_E_FAIL = static_cast<HResult>(0x80004005u);
constexpr HResult QOR_E_ACCESSDENIED = static_cast<HResult>(0x80070005u);
constexpr HResult QOR_E_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
constexpr HResult QOR_E_INVALIDARG = static_cast<HResult>(0x80070057u);
constexpr HResult QOR_STG_E_FILENOTFOUND = static_cast<HResult>(0x80030002u);
constexpr HResult QOR_STG_E_ACCESSDENIED = static_cast<HResult>(0x80030005u);
constexpr HResult QOR_STG_E_MEDIUMFULL = static_cast<HResult>(0x80030070u);

inline bool Failed(HResult Result)
{
    return Result < 0;
}

// A function that may supply the default text for an exception; it answers empty when it has none.
using TMessageProvider = std::function<QString(const std::exception& Error)>;

void RegisterMessageProvider(TMessageProvider Provider);
void ClearMessageProviders();

// The application's provider: "Export error." for E_APP_ExportError, nothing otherwise.
QString ApplicationMessageProvider(const std::exception& Error);

// The report text of an exception. Never empty.
QString GetExceptionReport(const std::exception_ptr& Error);
// The report text of the exception currently being handled; call it from inside a catch block.
QString GetExceptionReport();

// The runtime error kind of a standard-library exception, or of one of ours.
TRuntimeErrorKind RuntimeErrorKindOf(const std::exception& Error);
// The fixed text of a runtime error kind ("Out of memory.", "I/O error.", …).
QString RuntimeErrorText(TRuntimeErrorKind Kind);

// Appends Text to the message of the exception being handled, as a new sentence, and rethrows it.
// Exceptions that are not ours are first turned into an ERuntime of their kind, so that their text
// survives. Call it from inside a catch block: it never returns.
[[noreturn]] void AddSentenceAndRethrow(const QString& Text);
// The sentence rule itself: M, a full stop if M lacks one, a space if the result is not empty, Text.
QString AddSentence(const QString& Message, const QString& Text);
// Appends Text as a new sentence to the message of the exception being handled, in place, when it is
// one of ours; other exceptions are left alone. Call it from inside a catch block, then rethrow.
void AddSentence(const QString& Text);

// "File name='FileName'": the sentence by which a report names the file concerned.
QString FileNameText(const QString& FileName);

// Raises E_QOR_COMError with DescribeHResult(Result) when Result signals failure.
void OleCheck(HResult Result);
// "Access violation." for 0xC0000005, the system's text for a known code, otherwise "HRESULT=XXXXXXXXH".
QString DescribeHResult(HResult Result);

// Eight upper-case hexadecimal digits, most significant first.
QString HexCode(uint32_t Code);
