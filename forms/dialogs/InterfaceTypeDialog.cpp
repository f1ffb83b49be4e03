#include "forms/dialogs/InterfaceTypeDialog.h"

#include "forms/dialogs/DialogRows.h"
#include "model/InterfaceType.h"

TInterfaceTypeDialog::TInterfaceTypeDialog(QWidget* Owner) : TQORAutoForm(Owner)
{
    Setup({.Caption = QStringLiteral("Interface Type"), .MinControlWidth = 400});
    auto* Type = new TInterfaceType;
    SetValue(Type, true);
    AddGUIDRow(Items(), QStringLiteral("ID"), &Type->ID);
    AddStringRow(Items(), QStringLiteral("Name"), &Type->Name);
    AddStringRow(Items(), QStringLiteral("Creator"), &Type->Creator);
    AddStringRow(Items(), QStringLiteral("Sub creator"), &Type->SubCreator);
    AddStringRow(Items(), QStringLiteral("Notes"), &Type->Notes);
}
