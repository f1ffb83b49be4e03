#include "forms/dialogs/SupportFileDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/SupportFile.h"

TSupportFileDialog::TSupportFileDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Support File"), .MinControlWidth = 600});
    auto* File = new TSupportFile;
    SetValue(File, true);
    AddStringRow(Items(), QStringLiteral("Source file name"), &File->SourceFileName);
    AddStringRow(Items(), QStringLiteral("Source file path"), &File->SourceFilePath);
    AddStringRow(Items(), QStringLiteral("Target relative file path"), &File->TargetRelativePath);
    AddCheckBox(Items(), QStringLiteral("Install into GAC"), &File->InstallIntoGAC, QStringLiteral("Install into GAC"));
}
