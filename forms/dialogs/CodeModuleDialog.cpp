#include "forms/dialogs/CodeModuleDialog.h"

#include "forms/Pickers.h"
#include "forms/dialogs/DialogRows.h"
#include "model/Data.h"

TCodeModuleDialog::TCodeModuleDialog(QWidget* Owner, TData* Package) : TQORAutoForm(Owner), FPackage(Package)
{
    Setup({.Caption = QStringLiteral("Code Module"), .MinLabelWidth = 112, .MinControlWidth = 600});
    auto* Module = new TCodeModule;
    SetValue(Module, true);
    TQORAutoFormItems& Rows = Items();
    AddGUIDRow(Rows, QStringLiteral("ID"), &Module->ID);
    AddStringRow(Rows, QStringLiteral("Name"), &Module->Name);
    TEditString* FolderEdit = AddStringRow(Rows, QStringLiteral("File path"), &Module->FilePath);
    BrowseIntoFileRows(
        AddBrowseStringRow(
            Rows, QStringLiteral("File name"), &Module->FileName, QStringLiteral("Browse for the code module file")),
        FolderEdit,
        {QStringLiteral("Code Module File"), QStringLiteral("Code module files (*.dll *.exe);;All files (*)")});
    AddEnumerationRow(Rows,
                      QStringLiteral("Location"),
                      EnumBinding(&Module->Location),
                      CodeModuleLocationTexts(),
                      cmlNone,
                      cmlLinked);
    AddEnumerationRow(Rows,
                      QStringLiteral("Object server type"),
                      EnumBinding(&Module->ObjectServerType),
                      ObjectServerTypeTexts(),
                      ostNone,
                      ostDotNet);
    AddCheckBox(Rows,
                QStringLiteral("Register (not needed for .Net assemblies if direct activation is specified)"),
                &Module->Register,
                QStringLiteral("Register"));
    AddCheckBox(Rows,
                QStringLiteral("Use direct activation (.Net assemblies only)"),
                &Module->UseDirectActivation,
                QStringLiteral("Use direct activation"));
    AddCheckBox(Rows,
                QStringLiteral("Run task module objects from source location (for debugging)"),
                &Module->RunFromSourceLocation,
                QStringLiteral("Run task module objects from source location"));
    AddNamedItem(Rows,
                 QStringLiteral("Host interfaces"),
                 new TInterfaceTypesControl(this, Package, &Module->HostInterfaces, 129));
    AddNamedItem(Rows,
                 QStringLiteral("Module interfaces"),
                 new TInterfaceTypesControl(this, Package, &Module->ModuleInterfaces, 129));
    AddStringRow(Rows, QStringLiteral("Creator"), &Module->Creator);
    AddStringRow(Rows, QStringLiteral("Sub creator"), &Module->SubCreator);
    AddStringRow(Rows, QStringLiteral("Notes"), &Module->Notes);
    AddExtraButton(*this, QStringLiteral("Load ID"), [this] { LoadIDClick(); });
}

void TCodeModuleDialog::LoadIDClick()
{
    LoadIDFromTypeLibrary(*this, *static_cast<TCodeModule*>(Value()));
}
