#include "forms/BrowseButton.h"

#include "forms/Controls.h"
#include "foundation/Paths.h"
#include "foundation/UserSeam.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

TBrowseRow::TBrowseRow(QWidget* Owner, QWidget* Control, const QString& ButtonName)
    : QWidget(Owner), FItems(this), FControl(Control)
{
    AddControl(FItems, FControl);
    // "Browse…" with the horizontal ellipsis: the button opens a dialog.
    FButton = CreateCommandButton(
        this,
        QStringLiteral("Browse\u2026"),
        false,
        [this] {
            if (OnBrowse)
                OnBrowse();
        },
        false);
    FButton->setAutoDefault(false);
    FButton->setFocusPolicy(Qt::StrongFocus);
    FButton->setAccessibleName(ButtonName);
    AddControl(FItems, FButton);
    // A label's buddy and a validation failure focus the row: the control takes it.
    setFocusProxy(FControl);
    QWidget::setTabOrder(FControl, FButton);
    resize(FControl->width() + BrowseButtonGap + FButton->width(), FControl->height());
}

void TBrowseRow::StoreValue()
{
    if (IAutoFormControl* Control = Inner())
        Control->StoreValue();
}

void TBrowseRow::LoadValue()
{
    if (IAutoFormControl* Control = Inner())
        Control->LoadValue();
}

void TBrowseRow::SetDefault()
{
    if (IAutoFormControl* Control = Inner())
        Control->SetDefault();
}

void TBrowseRow::UndoDefault()
{
    if (IAutoFormControl* Control = Inner())
        Control->UndoDefault();
}

bool TBrowseRow::Validate()
{
    IAutoFormControl* Control = Inner();
    return !Control || Control->Validate();
}

int TBrowseRow::GetPreferredWidth(const TCanvas& Canvas)
{
    IAutoFormControl* Control = Inner();
    const int Own = Control ? Control->GetPreferredWidth(Canvas) : FControl->width();
    return Own + BrowseButtonGap + FButton->width();
}

// The row is as high as its control; the button stands beside it at the same height.
int TBrowseRow::GetPreferredHeight(const TCanvas& Canvas)
{
    IAutoFormControl* Control = Inner();
    return Control ? Control->GetPreferredHeight(Canvas) : FControl->height();
}

int TBrowseRow::GetLeftIndent()
{
    IAutoFormControl* Control = Inner();
    return Control ? Control->GetLeftIndent() : 0;
}

int TBrowseRow::GetExtraSpacing()
{
    IAutoFormControl* Control = Inner();
    return Control ? Control->GetExtraSpacing() : 0;
}

void TBrowseRow::ArrangeContents(const TCanvas& Canvas)
{
    PlaceContents();
    if (IAutoFormControl* Control = Inner())
        Control->ArrangeContents(Canvas);
}

void TBrowseRow::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    PlaceContents();
}

void TBrowseRow::PlaceContents()
{
    const int ButtonWidth = FButton->width();
    FControl->setGeometry(0, 0, std::max(0, width() - BrowseButtonGap - ButtonWidth), height());
    FButton->setGeometry(width() - ButtonWidth, 0, ButtonWidth, height());
}

TFileRows SplitChosenFile(const QString& FileName)
{
    const QString Native = QDir::toNativeSeparators(FileName);
    const QString Folder = FolderPart(Native);
    return {ExtractDirectory(Native), Native.mid(Folder.size())};
}

void BrowseIntoFileRows(TBrowseRow* Row, QLineEdit* FolderEdit, const TBrowseRequest& Request)
{
    auto* NameEdit = qobject_cast<QLineEdit*>(Row->Control());
    Row->OnBrowse = [Row, FolderEdit, NameEdit, Request] {
        TFileDialogRequest Dialog;
        Dialog.Parent = Row->window();
        Dialog.Caption = Request.Caption;
        Dialog.Directory = LocalFilePath(FolderEdit->text());
        // A wildcard pattern (a support file's) is no file to preselect.
        if (NameEdit && !NameEdit->text().contains(QLatin1Char('*')) && !NameEdit->text().contains(QLatin1Char('?')))
            Dialog.FileName = NameEdit->text();
        Dialog.Filter = Request.Filter;
        const QString Chosen = UserSeam().GetOpenFileName(Dialog);
        if (Chosen.isEmpty())
            return;
        const TFileRows Rows = SplitChosenFile(Chosen);
        FolderEdit->setText(Rows.Folder);
        if (NameEdit)
            NameEdit->setText(Rows.Name);
    };
}
