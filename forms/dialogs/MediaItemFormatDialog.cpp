#include "forms/dialogs/MediaItemFormatDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/DataTypes.h"

TMediaItemFormatDialog::TMediaItemFormatDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Media Type Format"), .MinControlWidth = 400});
    auto* Type = new TMediaItemFormat;
    SetValue(Type, true);
    AddGUIDRow(Items(), QStringLiteral("ID"), &Type->ID);
    AddStringRow(Items(), QStringLiteral("Name"), &Type->Name);
    AddEnumerationRow(
        Items(), QStringLiteral("Media item type"), EnumBinding(&Type->MediaItemType), MediaItemTypeTexts(), 0, 3);
    AddStringRow(Items(), QStringLiteral("File name extension"), &Type->FileNameExtension);
    AddStringRow(Items(), QStringLiteral("Creator"), &Type->Creator);
    AddStringRow(Items(), QStringLiteral("Sub creator"), &Type->SubCreator);
    AddStringRow(Items(), QStringLiteral("Notes"), &Type->Notes);
}
