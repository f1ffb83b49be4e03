#include "forms/dialogs/DialogRows.h"

#include "foundation/General.h"
#include "foundation/TypeLibraryReader.h"
#include "foundation/UserSeam.h"
#include "model/PackagePaths.h"

#include <QLabel>
#include <QPushButton>

TQORAutoFormItem* AddNamedItem(TQORAutoFormItems& Items, const QString& Caption, QWidget* Control)
{
    TQORAutoFormItem* Row = AddItem(Items, Caption, Control);
    Control->setAccessibleName(Caption);
    if (Row->Label)
        Row->Label->setBuddy(Control);
    return Row;
}

TEditString* AddStringRow(TQORAutoFormItems& Items, const QString& Caption, QString* Field, const QString& ValueName)
{
    auto* Edit = CreateEditString(Items.OwnerControl(), Field, ValueName.isEmpty() ? Caption : ValueName);
    AddNamedItem(Items, Caption, Edit);
    return Edit;
}

TBrowseRow*
AddBrowseStringRow(TQORAutoFormItems& Items, const QString& Caption, QString* Field, const QString& ButtonName)
{
    auto* Edit = CreateEditString(Items.OwnerControl(), Field, Caption);
    Edit->setAccessibleName(Caption);
    auto* Row = new TBrowseRow(Items.OwnerControl(), Edit, ButtonName);
    AddNamedItem(Items, Caption, Row);
    return Row;
}

TEditGUID* AddGUIDRow(TQORAutoFormItems& Items, const QString& Caption, TGUID* Field)
{
    auto* Edit = CreateEditGUID(Items.OwnerControl(), Field, Caption, false);
    AddNamedItem(Items, Caption, Edit);
    return Edit;
}

TEnumerationComboBox* AddEnumerationRow(TQORAutoFormItems& Items,
                                        const QString& Caption,
                                        TBinding<int32_t> Field,
                                        const QStringList& Texts,
                                        int32_t Lowest,
                                        int32_t Highest)
{
    auto* List = CreateEnumerationComboBox(
        Items.OwnerControl(), std::move(Field), Caption, Lowest, Highest, [Texts](int32_t Value) {
            return Texts.value(Value);
        });
    AddNamedItem(Items, Caption, List);
    return List;
}

TBooleanCheckBox* AddCheckBox(TQORAutoFormItems& Items, const QString& Caption, bool* Field, const QString& ValueName)
{
    auto* Box = CreateBooleanCheckBox(Items.OwnerControl(), Caption, Field, ValueName, taLeftJustify);
    Box->setAccessibleName(Caption);
    AddControl(Items, Box);
    return Box;
}

TBooleanCheckBox*
AddLabelledCheckBox(TQORAutoFormItems& Items, const QString& Caption, bool* Field, const QString& ValueName)
{
    auto* Box = CreateBooleanCheckBox(Items.OwnerControl(), QString(), Field, ValueName, taLeftJustify);
    AddNamedItem(Items, Caption, Box);
    return Box;
}

TEditStrings* AddStringsRow(TQORAutoFormItems& Items, const QString& Caption, QStringList* Field)
{
    auto* Lines = CreateEditStrings(Items.OwnerControl(), Field, Caption, 200, 100);
    AddNamedItem(Items, Caption, Lines);
    return Lines;
}

TContainerGroupBox* AddNamedGroup(TQORAutoFormItems& Items,
                                  const QString& RowCaption,
                                  const QString& GroupCaption,
                                  int32_t MinLabelWidth,
                                  int32_t MinControlWidth)
{
    TContainerGroupBox* Group =
        RowCaption.isEmpty()
            ? AddGroup(Items, Items.OwnerControl(), GroupCaption, MinLabelWidth, MinControlWidth)
            : AddGroupItem(Items, Items.OwnerControl(), RowCaption, GroupCaption, MinLabelWidth, MinControlWidth);
    Group->setAccessibleName(RowCaption.isEmpty() ? GroupCaption : RowCaption);
    TQORAutoFormItem* Row = Items.Row(Items.Count() - 1);
    if (Row->Label)
        Row->Label->setBuddy(Group);
    return Group;
}

void AddPermissionCheckBoxes(TQORAutoFormItems& Items, const TPermissionFields& Fields)
{
    AddCheckBox(Items, QStringLiteral("Accessible by service engineers"), Fields.ServiceEngineers);
    AddCheckBox(Items, QStringLiteral("Accessible by system administrators"), Fields.SystemAdministrators);
    AddCheckBox(Items, QStringLiteral("Accessible by trainers"), Fields.Trainers);
    AddCheckBox(Items, QStringLiteral("Accessible by students"), Fields.Students);
}

QPushButton* AddExtraButton(TQORAutoForm& Form, const QString& Caption, std::function<void()> OnClick)
{
    QPushButton* Button = CreateCommandButton(&Form, Caption, false, std::move(OnClick), false);
    Form.Buttons().emplace_back(Button);
    return Button;
}

bool ReadTypeLibraryID(
    QWidget* Owner, int32_t ObjectServerType, const QString& FilePath, const QString& FileName, TGUID& ID)
{
    const auto Tell = [Owner](const char* Text) {
        UserSeam().ShowMessage(
            Owner, QString::fromLatin1(Text), QString(), TMessageButtons::OK, TMessageIcon::Information);
    };
    if (ObjectServerType != ostCOM) {
        Tell("Only COM servers are supported.");
        return false;
    }
    TTypeLibraryReader Library;
    if (!Library.Load(ModuleSourcePath(FilePath, FileName))) {
        Tell("Unable to load type library.");
        return false;
    }
    ID = Library.LibraryGUID();
    return true;
}

QString TaskModuleTypeCaption(int32_t Type)
{
    return CapitaliseWords(TaskModuleTypeText(Type));
}
