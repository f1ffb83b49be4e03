#pragma once

// The row kinds the element dialogs are made of. Each creates its control with the owner of the rows
// (the form or a group box), adds it and names it for assistive technology after its row label, so
// that a screen reader says "Name" on the name field.

#include "forms/BrowseButton.h"
#include "forms/Controls.h"
#include "forms/QORForms.h"
#include "model/Enumerations.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// Adds a labelled row whose control is named after the label.
TQORAutoFormItem* AddNamedItem(TQORAutoFormItems& Items, const QString& Caption, QWidget* Control);

// A text editor; blank allowed, no default. ValueName is the label unless given.
TEditString*
AddStringRow(TQORAutoFormItems& Items, const QString& Caption, QString* Field, const QString& ValueName = {});
// A text row with a "Browse…" button on its right (see BrowseIntoFileRows); ButtonName is what
// assistive technology reads for the button.
TBrowseRow*
AddBrowseStringRow(TQORAutoFormItems& Items, const QString& Caption, QString* Field, const QString& ButtonName);
// A GUID editor that shows a null ID as zero digits.
TEditGUID* AddGUIDRow(TQORAutoFormItems& Items, const QString& Caption, TGUID* Field);
// A drop-down list of Texts[Lowest] … Texts[Highest], no default.
TEnumerationComboBox* AddEnumerationRow(TQORAutoFormItems& Items,
                                        const QString& Caption,
                                        TBinding<int32_t> Field,
                                        const QStringList& Texts,
                                        int32_t Lowest,
                                        int32_t Highest);
// An unlabelled check box whose left-justified caption carries the text.
TBooleanCheckBox*
AddCheckBox(TQORAutoFormItems& Items, const QString& Caption, bool* Field, const QString& ValueName = {});
// A check box without caption in a labelled row.
TBooleanCheckBox*
AddLabelledCheckBox(TQORAutoFormItems& Items, const QString& Caption, bool* Field, const QString& ValueName);
// A list of strings edited line by line, 200 wide and 100 high.
TEditStrings* AddStringsRow(TQORAutoFormItems& Items, const QString& Caption, QStringList* Field);
// A group box in a labelled row (or without label for an empty RowCaption), named after its row.
TContainerGroupBox* AddNamedGroup(TQORAutoFormItems& Items,
                                  const QString& RowCaption,
                                  const QString& GroupCaption,
                                  int32_t MinLabelWidth,
                                  int32_t MinControlWidth);

// Who may use a command line tool or a task module object's tool.
struct TPermissionFields
{
    bool* ServiceEngineers;
    bool* SystemAdministrators;
    bool* Trainers;
    bool* Students;
};
void AddPermissionCheckBoxes(TQORAutoFormItems& Items, const TPermissionFields& Fields);

// Appends a plain button after the standard ones.
QPushButton* AddExtraButton(TQORAutoForm& Form, const QString& Caption, std::function<void()> OnClick);

// The ID of a COM server's type library for "Load ID": the folder, "\" and the name joined as they
// stand, the file found on the local disk. Tells the user and answers false when the server is no
// COM server or the file holds no type library it can read.
bool ReadTypeLibraryID(
    QWidget* Owner, int32_t ObjectServerType, const QString& FilePath, const QString& FileName, TGUID& ID);

// "Load ID" on a dialog whose working object E has ID, FilePath, FileName and ObjectServerType: the
// entries as typed go to the working object, which gets the library's ID; the element itself
// changes only if the dialog is then closed with OK.
template <class E> void LoadIDFromTypeLibrary(TQORAutoForm& Form, E& Working)
{
    if (!Form.ValidateControls())
        return;
    Form.StoreValues();
    TGUID ID;
    if (!ReadTypeLibraryID(&Form, Working.ObjectServerType, Working.FilePath, Working.FileName, ID))
        return;
    Working.ID = ID;
    Form.LoadValues();
}

// The name of a task module type as a caption: every word starts upper-case.
QString TaskModuleTypeCaption(int32_t Type);
