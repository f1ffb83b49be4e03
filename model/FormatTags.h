#pragma once

// Every record of the definition file starts with one of these tags; a tag names the record's kind
// and its layout version. Writers always use the current tag; readers also accept the older ones
// listed here. docs/file-format.md tells what changed between versions.

#include "foundation/GUID.h"

namespace FormatTag {

// --- Document ---------------------------------------------------------------------------------------
// The whole definition, with BetaSoftware.
inline const TGUID Data = TGUID::Parse("{6ED31B61-DFE1-43E2-93BC-B9D1DFAD4A86}");
// The whole definition before BetaSoftware existed.
inline const TGUID DataWithoutBeta = TGUID::Parse("{53BC78D5-4E8C-4A18-91BA-ABA15E5ECE4D}");

// --- Lists (owning lists and reference lists of the same class share a tag) --------------------------
inline const TGUID TaskTypes = TGUID::Parse("{0873E7B3-CC58-4C33-AEDB-E7BF4267EBE5}");
inline const TGUID TaskRecordingTypes = TGUID::Parse("{7FEFBCFC-AC98-47DF-816F-DCAED5C0311A}");
inline const TGUID TaskResultItemFormats = TGUID::Parse("{E718177C-3C4E-44B5-98C5-AC7420106911}");
inline const TGUID MediaItemFormats = TGUID::Parse("{890F725C-0481-4C64-BF6C-128973CC9AA7}");
inline const TGUID InterfaceTypes = TGUID::Parse("{E330E629-7685-457F-9B75-E2DD35C1FB91}");
inline const TGUID Drivers = TGUID::Parse("{20FB8813-D1E0-4031-B1B5-F5DA7D7B9399}");
inline const TGUID SupportFiles = TGUID::Parse("{F895BB76-6FDC-4CEC-B468-D19904062263}");
// Task modules and task module objects have always shared this list tag.
inline const TGUID TaskModules = TGUID::Parse("{8AC96899-5C55-4B65-9FB1-4B837837B60B}");
inline const TGUID TaskModuleObjects = TaskModules;
inline const TGUID CommandLineTools = TGUID::Parse("{6C8F2F0B-24AF-4A49-A165-BCBE6986DBFE}");
inline const TGUID CodeModules = TGUID::Parse("{5906E970-A11F-42B1-8C46-A6ED43C3DDBA}");

// --- Data types and interface types -----------------------------------------------------------------
inline const TGUID TaskType = TGUID::Parse("{3C506DA9-9804-4026-AD91-CE5F76A1E60D}");
inline const TGUID TaskRecordingType = TGUID::Parse("{B8D11949-82EE-405C-850D-24C1909811D3}");
inline const TGUID TaskResultItemFormat = TGUID::Parse("{1F303824-A912-470A-9C04-9621563E2DC1}");
// Task result item format with five unused values (two Integers, a String, two Integers) after Description.
inline const TGUID TaskResultItemFormatV1 = TGUID::Parse("{24AC059E-553B-4F26-90F3-587F223F70B1}");
inline const TGUID MediaItemFormat = TGUID::Parse("{FA78D49C-9C4D-4BD0-B9FC-CDC1880010A0}");
inline const TGUID InterfaceType = TGUID::Parse("{2373DAA9-E3EF-479B-B930-EAC39ED10846}");

// --- Drivers and code modules -----------------------------------------------------------------------
// Driver: FileName before FilePath.
inline const TGUID Driver = TGUID::Parse("{A836A72A-FD0A-4E50-8617-915C010765DC}");
// Support file: no ID and no Expanded flag.
inline const TGUID SupportFile = TGUID::Parse("{01897FB7-459C-4F6D-9250-A5304C0774D3}");
// Code module: FilePath before FileName.
inline const TGUID CodeModule = TGUID::Parse("{E9A88527-668B-438B-91EE-E0B0D979C84C}");

// --- Task modules -----------------------------------------------------------------------------------
inline const TGUID TaskModule = TGUID::Parse("{3353BAE7-0F39-4BF2-B4D7-2FB04C96E4D5}");
// Second version: the types "Task module command editor" (9) and "Tool" (10) were stored swapped.
inline const TGUID TaskModuleV2 = TGUID::Parse("{E5F7AFAD-0C37-441E-9A64-EA4B5D19EF9F}");
// First version: before "Task recording player" (6) and "Task module command editor" (9) existed.
inline const TGUID TaskModuleV1 = TGUID::Parse("{F0B9894A-BE01-4FC4-86C2-9ED848E195A3}");

// --- Task module objects ----------------------------------------------------------------------------
inline const TGUID TaskModuleObject = TGUID::Parse("{193EC2B6-D90F-4533-8186-18678C47E2F8}");
// Fourth version: no ToolCategories.
inline const TGUID TaskModuleObjectV4 = TGUID::Parse("{EBC56237-1D3C-4522-83A0-0A5C0FBB26C1}");
// Third version: no CommandEditor and no ToolCategories.
inline const TGUID TaskModuleObjectV3 = TGUID::Parse("{17FF42F9-4328-4312-8E75-913823B3E66F}");
// Second version: as the third, without DelayBeforeReturningToHost.
inline const TGUID TaskModuleObjectV2 = TGUID::Parse("{4FBDAF5E-CBAE-42A3-A62C-48E306B1D28C}");
// First version: as the second, with one Integer access level in place of the four permissions.
inline const TGUID TaskModuleObjectV1 = TGUID::Parse("{44AF9774-41CF-4B29-AFF3-1389B4444D70}");

// --- Command line tools -----------------------------------------------------------------------------
inline const TGUID CommandLineTool = TGUID::Parse("{B0A84C7B-5C9D-413C-A4BA-4C3BA4FD8CF4}");
// Second version: no ToolCategories.
inline const TGUID CommandLineToolV2 = TGUID::Parse("{7AB4C15D-6F6B-4686-941E-6323690750E9}");
// First version: one Integer access level in place of the four permissions, no ToolCategories.
inline const TGUID CommandLineToolV1 = TGUID::Parse("{56326EC8-6918-46CD-A5B5-E6F5A678BDD8}");

} // namespace FormatTag
