#pragma once

// A row control that holds a field's own control with a "Browse…" button on its right, and the way
// a chosen file is split into the folder and name rows of an element dialog.

#include "forms/AutoFormControl.h"
#include "forms/QORForms.h"

#include <QString>
#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;

// Stands in for its control towards the form: values, validation and the control's own size pass
// through, the button takes its width on the right. The control and then the button are in the
// form's tab order; the row hands the focus to its control.
class TBrowseRow : public QWidget, public IAutoFormControl, public ITabOrderContainer
{
    Q_OBJECT
public:
    // Takes Control over as its own child. ButtonName is what assistive technology reads for the
    // button ("Browse for the driver file").
    TBrowseRow(QWidget* Owner, QWidget* Control, const QString& ButtonName);

    QWidget* Control() const { return FControl; }
    QPushButton* Button() const { return FButton; }
    // Run by the button; exceptions go to the application's handler.
    std::function<void()> OnBrowse;

    const TQORAutoFormItems& ContainedItems() const override { return FItems; }

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    void UndoDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
    bool CanStretchVertically() override { return false; }
    int GetLeftIndent() override;
    int GetExtraSpacing() override;
    void ArrangeContents(const TCanvas& Canvas) override;

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    IAutoFormControl* Inner() const { return AsAutoFormControl(FControl); }
    void PlaceContents();

    TQORAutoFormItems FItems;
    QWidget* FControl;
    QPushButton* FButton;
};

// Pixels between the control and its button.
inline constexpr int BrowseButtonGap = 4;

// A file name split the way element rows hold it: the folder without trailing separator (a root
// keeps it) and the bare name, both in the platform's own separators.
struct TFileRows
{
    QString Folder;
    QString Name;
};
TFileRows SplitChosenFile(const QString& FileName);

// What the file dialog of a Browse button shows.
struct TBrowseRequest
{
    QString Caption;
    // Qt filter text, entries separated by ";;".
    QString Filter;
};

// Makes Row's button ask for an existing file through the user seam, starting in the folder
// FolderEdit shows, and put the chosen file's folder into FolderEdit and its name into the row's
// own edit. The element changes only when the dialog is then closed with OK.
void BrowseIntoFileRows(TBrowseRow* Row, QLineEdit* FolderEdit, const TBrowseRequest& Request);
