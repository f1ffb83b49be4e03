#include "cli/InputText.h"

#include "foundation/QORExceptions.h"

#include <limits>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstring>
#include <unistd.h>
#endif

namespace {

// Below this size a copy costs nothing worth saving.
constexpr qint64 MapFrom = qint64(1) << 20;

#ifdef Q_OS_UNIX
// The report for a mapped file that shrank under the reader, made before the mapping so that the
// signal handler only has to write it out.
char ShrunkReport[4096];
size_t ShrunkReportLength = 0;
struct sigaction Previous;

void OnBusError(int)
{
    [[maybe_unused]] const ssize_t Written = write(STDERR_FILENO, ShrunkReport, ShrunkReportLength);
    _exit(1);
}

bool Guard(const QString& FileName)
{
    const QByteArray Report = (QStringLiteral("Loading error. ") + FileNameText(FileName) +
                               QStringLiteral(". The file changed while it was being read.\n"))
                                  .toUtf8();
    if (Report.size() > qsizetype(sizeof(ShrunkReport)))
        return false;
    memcpy(ShrunkReport, Report.constData(), size_t(Report.size()));
    ShrunkReportLength = size_t(Report.size());
    struct sigaction Action = {};
    Action.sa_handler = OnBusError;
    sigemptyset(&Action.sa_mask);
    return sigaction(SIGBUS, &Action, &Previous) == 0;
}

void Unguard()
{
    sigaction(SIGBUS, &Previous, nullptr);
}
#else
// Elsewhere a mapped file cannot be cut short while it is mapped.
bool Guard(const QString&)
{
    return true;
}
void Unguard() {}
#endif

} // namespace

TInputText::TInputText(const QString& FileName) : FFile(FileName)
{
    if (!FFile.open(QIODevice::ReadOnly))
        throw E_QOR_ErrorOpeningFileForReading(FileNameText(FileName));
    const qint64 Size = FFile.size();
    if (Size >= MapFrom && Size < qint64(std::numeric_limits<qsizetype>::max()) && Guard(FileName)) {
        FMap = FFile.map(0, Size);
        if (FMap) {
            FBytes = QByteArray::fromRawData(reinterpret_cast<const char*>(FMap), qsizetype(Size));
            return;
        }
        Unguard();
    }
    // Pipes, devices and small files.
    FBytes = FFile.readAll();
    if (FFile.error() != QFileDevice::NoError)
        throw E_QOR_ErrorOpeningFileForReading(FileNameText(FileName));
}

TInputText::~TInputText()
{
    if (!FMap)
        return;
    FBytes.clear();
    FFile.unmap(FMap);
    Unguard();
}
