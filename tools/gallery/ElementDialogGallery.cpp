#include "tools/gallery/ElementDialogGallery.h"

#include "forms/Pickers.h"
#include "forms/dialogs/CodeModuleDialog.h"
#include "forms/dialogs/CommandLineToolDialog.h"
#include "forms/dialogs/CreateTaskModuleDialog.h"
#include "forms/dialogs/DriverDialog.h"
#include "forms/dialogs/InterfaceTypeDialog.h"
#include "forms/dialogs/MediaItemFormatDialog.h"
#include "forms/dialogs/PackagePropertiesForm.h"
#include "forms/dialogs/SupportFileDialog.h"
#include "forms/dialogs/TaskModuleDialog.h"
#include "forms/dialogs/TaskModuleObjectDialog.h"
#include "forms/dialogs/TaskRecordingTypeDialog.h"
#include "forms/dialogs/TaskResultItemFormatDialog.h"
#include "forms/dialogs/TaskTypeDialog.h"
#include "foundation/QORExceptions.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"

#include <QApplication>
#include <QDir>

#include <memory>

namespace {

// Fills the dialog as Execute does, from Element (the dialog's reference while it is drawn), and
// saves a picture of it.
void RenderDialog(TQORAutoForm& Dialog, TQORObject* Element, const QDir& Out, const QString& Name)
{
    if (Element) {
        Dialog.Value()->Assign(Element, true);
        Dialog.SetValueReference(Element);
    }
    Dialog.CreateItems();
    Dialog.LoadValues();
    Dialog.Arrange();
    Dialog.show();
    QApplication::processEvents();
    const QString FileName = Out.filePath(Name + QStringLiteral(".png"));
    const bool Saved = Dialog.grab().save(FileName);
    Dialog.hide();
    Dialog.SetValueReference(nullptr);
    if (!Saved)
        throw E_QOR_ErrorCreatingFile(QStringLiteral("File name='%1'").arg(FileName));
}

void RenderPicker(TQORAutoForm& Picker, TQORList& Candidates, const QDir& Out, const QString& Name)
{
    Picker.SetCandidates(&Candidates);
    Picker.SetValue(Candidates.Items(0));
    RenderDialog(Picker, nullptr, Out, Name);
}

} // namespace

void RenderElementDialogs(const QDir& Out)
{
    TData Package;
    SampleDefinitions::BuildRich(Package);
    TCodeModule* Engine = Package.CodeModules.Items(0);
    TTaskModuleObject* Runner = Engine->TaskModuleObjects.Items(0);

    const auto Render = [&Out](TQORAutoForm&& Dialog, TQORObject* Element, const char* Name) {
        RenderDialog(Dialog, Element, Out, QString::fromLatin1(Name));
    };
    Render(TCodeModuleDialog(nullptr, &Package), Engine, "dialog-code-module");
    Render(TDriverDialog(), Package.Drivers.Items(0), "dialog-driver");
    Render(TSupportFileDialog(), Engine->SupportFiles.Items(0), "dialog-support-file");
    Render(TCreateTaskModuleDialog(), nullptr, "dialog-create-task-module");
    Render(TTaskModuleDialog(nullptr, &Package), Runner->TaskModules.Items(0), "dialog-task-module");
    Render(TTaskModuleDialog(nullptr, &Package), Runner->TaskModules.Items(1), "dialog-task-module-viewer");
    Render(TTaskModuleObjectDialog(nullptr, &Package), Runner, "dialog-task-module-object");
    Render(TCommandLineToolDialog(nullptr, &Package), Engine->CommandLineTools.Items(0), "dialog-command-line-tool");
    Render(TInterfaceTypeDialog(), Package.InterfaceTypes.Items(0), "dialog-interface-type");
    Render(TTaskTypeDialog(), Package.TaskTypes.Items(0), "dialog-task-type");
    Render(TTaskRecordingTypeDialog(), Package.TaskRecordingTypes.Items(0), "dialog-task-recording-type");
    Render(TTaskResultItemFormatDialog(), Package.TaskResultItemFormats.Items(0), "dialog-task-result-item-format");
    Render(TMediaItemFormatDialog(), Package.MediaItemFormats.Items(0), "dialog-media-item-format");

    TSelectDataTypeDialog DataTypePicker;
    DataTypePicker.setWindowTitle(QStringLiteral("Select Task Type"));
    RenderPicker(DataTypePicker, Package.TaskTypes, Out, QStringLiteral("picker-data-type"));
    TSelectInterfaceTypeDialog InterfacePicker;
    RenderPicker(InterfacePicker, Package.InterfaceTypes, Out, QStringLiteral("picker-interface-type"));

    const std::pair<TPackageProperty, const char*> Properties[] = {
        {TPackageProperty::ID, "form-package-id"},
        {TPackageProperty::Info, "form-package-info"},
        {TPackageProperty::AllowExportFromLMS, "form-package-export-from-lms"},
        {TPackageProperty::BetaSoftware, "form-package-beta-software"},
    };
    for (const auto& [Property, Name] : Properties)
        RenderDialog(*CreatePackagePropertiesForm(nullptr, Package, Property), nullptr, Out, QString::fromLatin1(Name));
}
