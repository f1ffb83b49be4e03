#include "forms/dialogs/PackagePropertiesForm.h"

#include "forms/dialogs/DialogRows.h"
#include "model/Data.h"

namespace {

// Messages name the row.
void AddText(TQORAutoForm& Form, const char* Caption, QString* Field)
{
    const QString Name = QString::fromLatin1(Caption);
    AddNamedItem(Form.Items(), Name, CreateEditString(&Form, Field, Name));
}

} // namespace

std::unique_ptr<TQORAutoForm> CreatePackagePropertiesForm(QWidget* Owner, TData& Package, TPackageProperty Property)
{
    auto Form = std::make_unique<TQORAutoForm>(Owner);
    TQORAutoFormItems& Rows = Form->Items();
    switch (Property) {
    case TPackageProperty::ID:
        Form->Setup({.Caption = QStringLiteral("Code Package"), .MinControlWidth = 200});
        AddNamedItem(
            Rows, QStringLiteral("Code package ID"), CreateEditGUID(Form.get(), &Package.ID, QString(), false));
        break;
    case TPackageProperty::Info: {
        Form->Setup({.Caption = QStringLiteral("Code Package"), .MinControlWidth = 350, .MinFormWidth = 640});
        AddText(*Form, "Code package name", &Package.Name);
        AddText(*Form, "Code package description", &Package.Description);
        const QString About = QStringLiteral("Code package 'About' information");
        AddNamedItem(Rows,
                     About,
                     CreateEditMultilineString(
                         Form.get(), &Package.AboutInformation, About, false, QString(), true, 200, false, ssVertical));
        AddText(*Form, "Code package creator", &Package.Creator);
        AddText(*Form, "Code package sub creator", &Package.SubCreator);
        break;
    }
    case TPackageProperty::AllowExportFromLMS:
        Form->Setup({.Caption = QStringLiteral("Allow Export From LMS"), .MinControlWidth = 200, .MinFormWidth = 300});
        AddCheckBox(Rows, QStringLiteral("Allow export from LMS"), &Package.AllowExportFromLMS);
        break;
    case TPackageProperty::BetaSoftware:
        Form->Setup({.Caption = QStringLiteral("Beta Software"), .MinControlWidth = 200, .MinFormWidth = 300});
        AddCheckBox(Rows, QStringLiteral("Beta software"), &Package.BetaSoftware);
        break;
    }
    return Form;
}
