#include "forms/dialogs/SupportFileDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/SupportFile.h"

TSupportFileDialog::TSupportFileDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Support File"), .MinControlWidth = 600});
    auto* File = new TSupportFile;
    SetValue(File, true);
    // The chosen file's folder is kept in full, which stands on its own; a folder relative to the
    // code module's can still be typed.
    TBrowseRow* NameRow = AddBrowseStringRow(Items(),
                                             QStringLiteral("Source file name"),
                                             &File->SourceFileName,
                                             QStringLiteral("Browse for the support file"));
    TEditString* FolderEdit = AddStringRow(Items(), QStringLiteral("Source file path"), &File->SourceFilePath);
    BrowseIntoFileRows(NameRow, FolderEdit, {QStringLiteral("Support File"), QStringLiteral("All files (*)")});
    AddStringRow(Items(), QStringLiteral("Target relative file path"), &File->TargetRelativePath);
    AddCheckBox(Items(), QStringLiteral("Install into GAC"), &File->InstallIntoGAC, QStringLiteral("Install into GAC"));
}
