#include "forms/dialogs/DriverDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/Driver.h"

TDriverDialog::TDriverDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Driver"), .MinControlWidth = 600});
    auto* Driver = new TDriver;
    SetValue(Driver, true);
    TQORAutoFormItems& Rows = Items();
    AddGUIDRow(Rows, QStringLiteral("ID"), &Driver->ID);
    AddStringRow(Rows, QStringLiteral("Name"), &Driver->Name);
    TEditString* FolderEdit = AddStringRow(Rows, QStringLiteral("File path"), &Driver->FilePath);
    BrowseIntoFileRows(
        AddBrowseStringRow(
            Rows, QStringLiteral("File name"), &Driver->FileName, QStringLiteral("Browse for the driver file")),
        FolderEdit,
        {QStringLiteral("Driver File"), QStringLiteral("Driver files (*.dll *.exe *.sys);;All files (*)")});
    AddEnumerationRow(
        Rows, QStringLiteral("Location"), EnumBinding(&Driver->Location), DriverLocationTexts(), dlNone, dlLMS);
    AddEnumerationRow(Rows,
                      QStringLiteral("Object server type"),
                      EnumBinding(&Driver->ObjectServerType),
                      ObjectServerTypeTexts(),
                      ostNone,
                      ostDotNet);
    AddLabelledCheckBox(Rows, QStringLiteral("Register"), &Driver->Register, QStringLiteral("Register"));
    AddStringRow(Rows, QStringLiteral("Creator"), &Driver->Creator);
    AddStringRow(Rows, QStringLiteral("Sub creator"), &Driver->SubCreator);
    AddStringRow(Rows, QStringLiteral("Notes"), &Driver->Notes);
    AddExtraButton(*this, QStringLiteral("Load ID"), [this] { LoadIDClick(); });
}

void TDriverDialog::LoadIDClick()
{
    LoadIDFromTypeLibrary(*this, *static_cast<TDriver*>(Value()));
}
