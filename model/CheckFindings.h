#pragma once

// The export error check as a walk over every rule. Each broken rule becomes a finding handed to a
// sink: the export check raises the first error and stops, the command-line check collects them all.
// Both walk the same code, so what they report cannot drift apart.

#include <QString>

#include <functional>
#include <vector>

class TData;

enum class TFindingSeverity
{
    // The export check rejects the definition.
    Error,
    // The export check lets it pass, but an author would want to know.
    Warning,
};

// The exception the export check raises for an error finding.
enum class TFindingRaise
{
    ExportError,
    // The root class E_QOR with the message: two equal IDs, a file the export cannot open.
    Plain,
    EnumerationOutOfRange,
};

// One step of the way to an element: the list it is in and the element in it.
struct TFindingStep
{
    // The list as the package tree groups it: "Code modules", "Data types/Task types".
    QString List;
    // The element's name; for a support file its file name, for a task module its position.
    QString Name;
    // Where the element stands in the list, counted from 1.
    int32_t Position = 0;
    // Whether another element of the list has the same name, so that only the position tells
    // them apart.
    bool NameRepeats = false;
};

struct TCheckFinding
{
    TFindingSeverity Severity = TFindingSeverity::Error;
    // A stable name for the rule ("driver-file-missing"), for scripts that filter findings.
    QString Rule;
    // Worded exactly as the export check's exception message.
    QString Message;
    // Where it is, as a readable path: "Code modules/Trainer/Task module objects/Viewer". A name
    // that repeats in its list is followed by the position: "Code modules/Trainer #2".
    QString Location;
    // The same way step by step; empty for the package itself.
    std::vector<TFindingStep> Path;
    TFindingRaise Raise = TFindingRaise::ExportError;
};

using TFindingSink = std::function<void(const TCheckFinding& Finding)>;

// Runs every rule over Data in the order of the export check and hands each finding to Sink, which
// may throw to stop the walk. Reads the disk (files and type libraries), changes nothing.
void VisitCheckFindings(const TData& Data, const TFindingSink& Sink);
// Every finding, errors and warnings, in the order met.
std::vector<TCheckFinding> CollectCheckFindings(const TData& Data);
// Raises the exception the export check raises for Finding.
[[noreturn]] void RaiseFinding(const TCheckFinding& Finding);
QString FindingSeverityText(TFindingSeverity Severity);
// The readable form of Path: "Package" for the package itself.
QString FindingLocation(const std::vector<TFindingStep>& Path);
