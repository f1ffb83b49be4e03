#pragma once

// The five enumerations of a package definition. Files store them as 32-bit integers and keep
// whatever value they hold; only turning a value into its display text checks the range.

#include <QString>
#include <QStringList>

#include <cstdint>

enum TCodeModuleLocation : int32_t
{
    cmlNone = 0,
    cmlEmbedded = 1,
    cmlLinked = 2,
};

enum TObjectServerType : int32_t
{
    ostNone = 0,
    ostCOM = 1,
    ostDotNet = 2,
};

enum TDriverLocation : int32_t
{
    dlNone = 0,
    dlSystem32 = 1,
    dlLMS = 2,
};

enum TMediaItemType : int32_t
{
    mitNone = 0,
    mitImage = 1,
    mitVideo = 2,
    mitAudio = 3,
};

enum TTaskModuleType : int32_t
{
    tmtNone = 0,
    tmtTaskCreator = 1,
    tmtTaskEditor = 2,
    tmtTaskRunner = 3,
    tmtTaskResultItemViewer = 4,
    tmtTaskResultItemExporter = 5,
    tmtTaskRecordingPlayer = 6,
    tmtTaskRecordingEditor = 7,
    tmtTaskModuleConfigurator = 8,
    tmtTaskModuleCommandEditor = 9,
    tmtTool = 10,
    tmtTaskRecordingAnalyzer = 11,
};

// Display texts in value order, as the dialogs list them.
const QStringList& CodeModuleLocationTexts();
const QStringList& ObjectServerTypeTexts();
const QStringList& DriverLocationTexts();
const QStringList& MediaItemTypeTexts();
const QStringList& TaskModuleTypeTexts();

// The display text of one value; a value outside the table raises E_QOR_EnumerationOutOfRange.
QString CodeModuleLocationText(int32_t Value);
QString ObjectServerTypeText(int32_t Value);
QString DriverLocationText(int32_t Value);
QString MediaItemTypeText(int32_t Value);
QString TaskModuleTypeText(int32_t Value);

// Whether a value lies inside the table of its enumeration.
bool IsValidCodeModuleLocation(int32_t Value);
bool IsValidObjectServerType(int32_t Value);
bool IsValidDriverLocation(int32_t Value);
bool IsValidMediaItemType(int32_t Value);
bool IsValidTaskModuleType(int32_t Value);
