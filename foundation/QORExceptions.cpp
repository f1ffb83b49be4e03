#include "foundation/QORExceptions.h"

#include <any>
#include <filesystem>
#include <ios>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>
#include <variant>
#include <vector>

namespace {

std::vector<TMessageProvider>& Providers()
{
    static std::vector<TMessageProvider> List;
    return List;
}

bool EndsWithFullStop(const QString& Text)
{
    return Text.endsWith(QLatin1Char('.'));
}

} // namespace

ERuntime::ERuntime(const QString& Message) : FMessage(Message) {}

ERuntime::ERuntime(TRuntimeErrorKind Kind, const QString& Message) : FKind(Kind), FMessage(Message) {}

void ERuntime::SetMessage(const QString& Message)
{
    FMessage = Message;
    FWhat.clear();
}

QString ERuntime::DefaultMessage() const
{
    return {};
}

const char* ERuntime::what() const noexcept
{
    // Built lazily: what() is rarely asked for and must not throw.
    try {
        if (FWhat.isEmpty())
            const_cast<ERuntime*>(this)->FWhat = FMessage.toUtf8();
        return FWhat.constData();
    } catch (...) {
        return "";
    }
}

EOleException::EOleException(uint32_t Code, const QString& Source, const QString& HelpFile, const QString& Message)
    : ERuntime(TRuntimeErrorKind::OleException, Message)
{
    FErrorCode = Code;
    FSource = Source;
    FHelpFile = HelpFile;
}

EOleSysError::EOleSysError(uint32_t Code, const QString& Message) : ERuntime(TRuntimeErrorKind::OleSysError, Message)
{
    FErrorCode = Code;
}

QString E_QOR::DefaultMessage() const
{
    return {};
}

#define QOR_DEFINE_EXCEPTION(Name, Text)                                                                               \
    QString Name::DefaultMessage() const                                                                               \
    {                                                                                                                  \
        return QStringLiteral(Text);                                                                                   \
    }

QOR_DEFINE_EXCEPTION(E_QOR_UnknownError, "Unknown error.")
QOR_DEFINE_EXCEPTION(E_QOR_ProgramError, "Program error.")
QOR_DEFINE_EXCEPTION(E_QOR_COMError, "COM error.")
QOR_DEFINE_EXCEPTION(E_QOR_Failed, "Failed.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidArg, "Invalid argument.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidData, "Invalid data.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidCall, "Invalid call.")
QOR_DEFINE_EXCEPTION(E_QOR_NotImplemented, "Not implemented.")
QOR_DEFINE_EXCEPTION(E_QOR_ObjectFailedToCreate, "Object failed to create.")
QOR_DEFINE_EXCEPTION(E_QOR_FileDoesNotExist, "File does not exist.")
QOR_DEFINE_EXCEPTION(E_QOR_UnrecognisedDataFormat, "Unrecognised data format.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidReferenceCount, "Invalid reference count.")
QOR_DEFINE_EXCEPTION(E_QOR_LoadingError, "Loading error.")
QOR_DEFINE_EXCEPTION(E_QOR_SavingError, "Saving error.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidFilename, "Invalid file name.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidFileMode, "Invalid file mode.")
QOR_DEFINE_EXCEPTION(E_QOR_ErrorOpeningFile, "Error opening file.")
QOR_DEFINE_EXCEPTION(E_QOR_ErrorOpeningFileForReading, "Error opening file for reading.")
QOR_DEFINE_EXCEPTION(E_QOR_ErrorOpeningFileForWriting, "Error opening file for writing.")
QOR_DEFINE_EXCEPTION(E_QOR_UnrecognisedFileExtension, "Unrecognised file extension.")
QOR_DEFINE_EXCEPTION(E_QOR_ErrorCreatingFile, "Error creating file.")
QOR_DEFINE_EXCEPTION(E_QOR_DataHasEssentialInformationMissing, "Data has essential information missing.")
QOR_DEFINE_EXCEPTION(E_QOR_OperationCancelled, "Operation cancelled.")
QOR_DEFINE_EXCEPTION(E_QOR_ListItemHasNoParent, "List item has no parent.")
QOR_DEFINE_EXCEPTION(E_QOR_EnumerationOutOfRange, "Enumeration out of range.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidListItemIndex, "Invalid list item index.")
QOR_DEFINE_EXCEPTION(E_QOR_ListNeedsToOwnItemsForThisOperation, "List needs to own items for this operation.")
QOR_DEFINE_EXCEPTION(E_QOR_ListItemIsAlreadyOwned, "List item is already owned.")
QOR_DEFINE_EXCEPTION(E_QOR_ObjectPointerIsNil, "Object pointer is nil.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidObjectType, "Invalid object type.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidCommandLineParameters, "Invalid command line parameters.")
QOR_DEFINE_EXCEPTION(E_QOR_AlreadyEnabled, "Already enabled.")
QOR_DEFINE_EXCEPTION(E_QOR_DataNotAvailable, "Data not available.")
QOR_DEFINE_EXCEPTION(E_QOR_DeviceInUse, "Device in use.")
QOR_DEFINE_EXCEPTION(E_QOR_FailedToEnableDevice, "Failed to enable device.")
QOR_DEFINE_EXCEPTION(E_QOR_DeviceIsNotEnabled, "Device is not enabled.")
QOR_DEFINE_EXCEPTION(E_QOR_InvalidCalibrationData, "Invalid calibration data.")

void RegisterMessageProvider(TMessageProvider Provider)
{
    Providers().push_back(std::move(Provider));
}

void ClearMessageProviders()
{
    Providers().clear();
}

QString ApplicationMessageProvider(const std::exception& Error)
{
    if (dynamic_cast<const E_APP_ExportError*>(&Error))
        return QStringLiteral("Export error.");
    return {};
}

QString HexCode(uint32_t Code)
{
    return QStringLiteral("%1").arg(Code, 8, 16, QLatin1Char('0')).toUpper();
}

QString RuntimeErrorText(TRuntimeErrorKind Kind)
{
    switch (Kind) {
    case TRuntimeErrorKind::Unknown:
        return {};
    case TRuntimeErrorKind::Abort:
        return QStringLiteral("Abort.");
    case TRuntimeErrorKind::OutOfMemory:
        return QStringLiteral("Out of memory.");
    case TRuntimeErrorKind::InOut:
        return QStringLiteral("I/O error.");
    case TRuntimeErrorKind::External:
        return QStringLiteral("External error.");
    case TRuntimeErrorKind::InvalidCast:
        return QStringLiteral("Invalid cast.");
    case TRuntimeErrorKind::Convert:
        return QStringLiteral("Type conversion error.");
    case TRuntimeErrorKind::AccessViolation:
        return QStringLiteral("Access violation error.");
    case TRuntimeErrorKind::Privilege:
        return QStringLiteral("Privilege error.");
    case TRuntimeErrorKind::StackOverflow:
        return QStringLiteral("Stack overflow.");
    case TRuntimeErrorKind::ControlC:
        return QStringLiteral("Control C pressed.");
    case TRuntimeErrorKind::Variant:
        return QStringLiteral("Variant error.");
    case TRuntimeErrorKind::Assertion:
        return QStringLiteral("Assertion failure.");
    case TRuntimeErrorKind::IntfCast:
        return QStringLiteral("Interface cast error.");
    case TRuntimeErrorKind::OSError:
        return QStringLiteral("Operating system error.");
    case TRuntimeErrorKind::DivByZero:
        return QStringLiteral("Integer divide by zero error.");
    case TRuntimeErrorKind::RangeError:
        return QStringLiteral("Integer range error.");
    case TRuntimeErrorKind::IntOverflow:
        return QStringLiteral("Integer overflow error.");
    case TRuntimeErrorKind::IntError:
        return QStringLiteral("Integer error.");
    case TRuntimeErrorKind::InvalidOp:
        return QStringLiteral("Invalid floating point maths operation.");
    case TRuntimeErrorKind::ZeroDivide:
        return QStringLiteral("Floating point divide by zero error.");
    case TRuntimeErrorKind::Overflow:
        return QStringLiteral("Floating point overflow error.");
    case TRuntimeErrorKind::Underflow:
        return QStringLiteral("Floating point underflow error.");
    case TRuntimeErrorKind::MathError:
        return QStringLiteral("Floating point maths error.");
    case TRuntimeErrorKind::InvalidPointer:
        return QStringLiteral("Invalid pointer error.");
    case TRuntimeErrorKind::Heap:
        return QStringLiteral("Heap error.");
    case TRuntimeErrorKind::OleException:
    case TRuntimeErrorKind::OleSysError:
    case TRuntimeErrorKind::OleError:
        return QStringLiteral("Ole error.");
    case TRuntimeErrorKind::Database:
        return QStringLiteral("Database error.");
    }
    return {};
}

QString RuntimeDefaultText(const ERuntime& Error)
{
    switch (Error.Kind()) {
    case TRuntimeErrorKind::OleException:
        return QStringLiteral("Ole exception. Error code=") + HexCode(Error.FErrorCode) +
               QStringLiteral("h. Source='") + Error.FSource + QStringLiteral("'. Help file='") + Error.FHelpFile +
               QStringLiteral("'.");
    case TRuntimeErrorKind::OleSysError:
        return QStringLiteral("Ole sys error. Error code=") + HexCode(Error.FErrorCode) + QStringLiteral("h.");
    default:
        return RuntimeErrorText(Error.Kind());
    }
}

TRuntimeErrorKind RuntimeErrorKindOf(const std::exception& Error)
{
    if (auto* Own = dynamic_cast<const ERuntime*>(&Error))
        return Own->Kind();
    if (dynamic_cast<const std::bad_alloc*>(&Error))
        return TRuntimeErrorKind::OutOfMemory;
    if (dynamic_cast<const std::ios_base::failure*>(&Error) ||
        dynamic_cast<const std::filesystem::filesystem_error*>(&Error))
        return TRuntimeErrorKind::InOut;
    if (dynamic_cast<const std::system_error*>(&Error))
        return TRuntimeErrorKind::OSError;
    if (dynamic_cast<const std::bad_cast*>(&Error) || dynamic_cast<const std::bad_any_cast*>(&Error) ||
        dynamic_cast<const std::bad_typeid*>(&Error))
        return TRuntimeErrorKind::InvalidCast;
    if (dynamic_cast<const std::bad_variant_access*>(&Error))
        return TRuntimeErrorKind::Variant;
    if (dynamic_cast<const std::bad_function_call*>(&Error))
        return TRuntimeErrorKind::InvalidPointer;
    if (dynamic_cast<const std::overflow_error*>(&Error))
        return TRuntimeErrorKind::IntOverflow;
    if (dynamic_cast<const std::underflow_error*>(&Error))
        return TRuntimeErrorKind::Underflow;
    if (dynamic_cast<const std::out_of_range*>(&Error) || dynamic_cast<const std::range_error*>(&Error) ||
        dynamic_cast<const std::length_error*>(&Error))
        return TRuntimeErrorKind::RangeError;
    if (dynamic_cast<const std::invalid_argument*>(&Error))
        return TRuntimeErrorKind::Convert;
    return TRuntimeErrorKind::Unknown;
}

namespace {

// The message a report takes from an exception. Standard-library exceptions of a known kind carry
// implementation wording in what(), not a message for the user; the kind's text speaks for them.
QString OwnMessage(const std::exception& Error)
{
    if (auto* Own = dynamic_cast<const ERuntime*>(&Error))
        return Own->Message();
    // The operating system's reason is worth keeping; the rest of what() is library wording.
    if (auto* System = dynamic_cast<const std::system_error*>(&Error)) {
        const std::error_category& Category = System->code().category();
        if (!System->code() || (Category != std::system_category() && Category != std::generic_category()))
            return {};
        QString Reason = QString::fromLocal8Bit(System->code().message());
        auto* FileSystem = dynamic_cast<const std::filesystem::filesystem_error*>(&Error);
        if (FileSystem && !FileSystem->path1().empty())
            Reason = AddSentence(Reason, FileNameText(QString::fromStdU16String(FileSystem->path1().u16string())));
        return Reason;
    }
    if (RuntimeErrorKindOf(Error) != TRuntimeErrorKind::Unknown)
        return {};
    return QString::fromUtf8(Error.what());
}

QString DefaultText(const std::exception& Error)
{
    for (const TMessageProvider& Provider : Providers()) {
        QString Text = Provider(Error);
        if (!Text.isEmpty())
            return Text;
    }
    if (auto* Own = dynamic_cast<const ERuntime*>(&Error)) {
        QString Text = Own->DefaultMessage();
        if (!Text.isEmpty() || dynamic_cast<const E_QOR*>(&Error))
            return Text;
        if (!Own->Message().isEmpty())
            return {};
        return RuntimeDefaultText(*Own);
    }
    if (OwnMessage(Error).isEmpty())
        return RuntimeErrorText(RuntimeErrorKindOf(Error));
    return {};
}

QString ComposeReport(const QString& Default, QString Message)
{
    if (!Message.isEmpty() && !EndsWithFullStop(Message))
        Message += QLatin1Char('.');
    QString Report;
    if (Default.isEmpty())
        Report = Message;
    else if (Message.isEmpty())
        Report = Default;
    else
        Report = Default + QLatin1Char(' ') + Message;
    if (Report.isEmpty())
        return QStringLiteral("Unknown error.");
    return Report;
}

} // namespace

QString GetExceptionReport(const std::exception_ptr& Error)
{
    if (!Error)
        return QStringLiteral("Unknown error.");
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& E) {
        return ComposeReport(DefaultText(E), OwnMessage(E));
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

QString GetExceptionReport()
{
    return GetExceptionReport(std::current_exception());
}

QString AddSentence(const QString& Message, const QString& Text)
{
    QString Result = Message;
    if (!Result.isEmpty() && !EndsWithFullStop(Result))
        Result += QLatin1Char('.');
    if (!Result.isEmpty())
        Result += QLatin1Char(' ');
    return Result + Text;
}

void AddSentence(const QString& Text)
{
    const std::exception_ptr Current = std::current_exception();
    if (!Current)
        return;
    // Rethrowing an exception_ptr hands back the very object being handled, not a copy.
    try {
        std::rethrow_exception(Current);
    } catch (ERuntime& Error) {
        Error.SetMessage(AddSentence(Error.Message(), Text));
    } catch (...) {
    }
}

void AddSentenceAndRethrow(const QString& Text)
{
    try {
        throw;
    } catch (ERuntime& Error) {
        Error.SetMessage(AddSentence(Error.Message(), Text));
        throw;
    } catch (const std::exception& Error) {
        // The kind's text becomes the message, so the report still names the kind.
        const TRuntimeErrorKind Kind = RuntimeErrorKindOf(Error);
        QString Message = OwnMessage(Error);
        if (Message.isEmpty())
            Message = RuntimeErrorText(Kind);
        throw ERuntime(Kind, AddSentence(Message, Text));
    }
}

QString DescribeHResult(HResult Result)
{
    const uint32_t Code = static_cast<uint32_t>(Result);
    if (Code == 0xC0000005u)
        return QStringLiteral("Access violation.");
    // The texts the platform gives for the codes this program can meet.
    struct TKnown
    {
        uint32_t Code;
        const char* Text;
    };
    static const TKnown Known[] = {
        {0x80004001u, "Not implemented."},
        {0x80004002u, "No such interface supported."},
        {0x80004003u, "Invalid pointer."},
        {0x80004004u, "Operation aborted."},
        {0x80004005u, "Unspecified error."},
        {0x8000FFFFu, "Catastrophic failure."},
        {0x80030002u, "%1 could not be found."},
        {0x80030005u, "Access Denied."},
        {0x80030070u, "There is insufficient disk space to complete operation."},
        {0x80070002u, "The system cannot find the file specified."},
        {0x80070003u, "The system cannot find the path specified."},
        {0x80070005u, "Access is denied."},
        {0x80070006u, "The handle is invalid."},
        {0x8007000Eu, "Not enough memory resources are available to complete this operation."},
        {0x80070020u, "The process cannot access the file because it is being used by another process."},
        {0x80070057u, "The parameter is incorrect."},
        {0x80070070u, "There is not enough space on the disk."},
    };
    for (const TKnown& Entry : Known) {
        if (Entry.Code == Code) {
            QString Text = QString::fromLatin1(Entry.Text);
            while (Text.endsWith(QLatin1Char('\n')) || Text.endsWith(QLatin1Char('\r')))
                Text.chop(1);
            if (!EndsWithFullStop(Text))
                Text += QLatin1Char('.');
            return Text;
        }
    }
    return QStringLiteral("HRESULT=") + HexCode(Code) + QStringLiteral("H");
}

QString FileNameText(const QString& FileName)
{
    return QStringLiteral("File name='") + FileName + QLatin1Char('\'');
}

void OleCheck(HResult Result)
{
    if (Failed(Result))
        throw E_QOR_COMError(DescribeHResult(Result));
}
