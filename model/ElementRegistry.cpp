#include "model/ElementRegistry.h"

#include "foundation/ObjectClipboard.h"
#include "model/CodeModule.h"
#include "model/DataTypes.h"
#include "model/Driver.h"
#include "model/InterfaceType.h"

void RegisterElementClasses()
{
    TQORObjectClipboard::RegisterClass(TTaskType::StaticClass());
    TQORObjectClipboard::RegisterClass(TTaskRecordingType::StaticClass());
    TQORObjectClipboard::RegisterClass(TTaskResultItemFormat::StaticClass());
    TQORObjectClipboard::RegisterClass(TMediaItemFormat::StaticClass());
    TQORObjectClipboard::RegisterClass(TInterfaceType::StaticClass());
    TQORObjectClipboard::RegisterClass(TDrivers::StaticClass());
    TQORObjectClipboard::RegisterClass(TDriver::StaticClass());
    TQORObjectClipboard::RegisterClass(TCodeModule::StaticClass());
    TQORObjectClipboard::RegisterClass(TTaskModuleObject::StaticClass());
    TQORObjectClipboard::RegisterClass(TSupportFile::StaticClass());
    TQORObjectClipboard::RegisterClass(TCommandLineTool::StaticClass());
}
