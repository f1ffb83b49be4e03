#include "ui/QtUserSeam.h"

#include "foundation/General.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::StandardButtons StandardButtonsOf(TMessageButtons Buttons)
{
    switch (Buttons) {
    case TMessageButtons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case TMessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case TMessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case TMessageButtons::OK:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(TMessageIcon Icon)
{
    switch (Icon) {
    case TMessageIcon::Information:
        return QMessageBox::Information;
    case TMessageIcon::Warning:
        return QMessageBox::Warning;
    case TMessageIcon::Error:
        return QMessageBox::Critical;
    case TMessageIcon::Question:
        return QMessageBox::Question;
    case TMessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box closed without a button (window close, Escape without an escape button) answers the way
// its most cautious button would.
TMessageResult ResultOf(int Button, TMessageButtons Buttons)
{
    switch (Button) {
    case QMessageBox::Ok:
        return TMessageResult::OK;
    case QMessageBox::Yes:
        return TMessageResult::Yes;
    case QMessageBox::No:
        return TMessageResult::No;
    case QMessageBox::Cancel:
        return TMessageResult::Cancel;
    default:
        break;
    }
    switch (Buttons) {
    case TMessageButtons::OK:
        return TMessageResult::OK;
    case TMessageButtons::YesNo:
        return TMessageResult::No;
    case TMessageButtons::OKCancel:
    case TMessageButtons::YesNoCancel:
        break;
    }
    return TMessageResult::Cancel;
}

QString RunFileDialog(const TFileDialogRequest& Request, QFileDialog::AcceptMode Mode)
{
    QFileDialog Dialog(Request.Parent, Request.Caption, Request.Directory);
    Dialog.setAcceptMode(Mode);
    Dialog.setFileMode(Mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList Filters = Request.Filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    const int Shown = ShownFilterPosition(Filters, Request.FilterIndex);
    if (!Filters.isEmpty()) {
        Dialog.setNameFilters(Filters);
        Dialog.selectNameFilter(Filters.at(Shown - 1));
    }
    Dialog.setDefaultSuffix(Request.DefaultSuffix);
    if (!Request.FileName.isEmpty())
        Dialog.selectFile(Request.FileName);
    if (Dialog.exec() != QDialog::Accepted)
        return {};
    if (Request.SelectedFilterIndex)
        *Request.SelectedFilterIndex = SelectedFilterPosition(Filters, Dialog.selectedNameFilter(), Shown);
    return Dialog.selectedFiles().value(0);
}

} // namespace

int ShownFilterPosition(const QStringList& Filters, int Asked)
{
    return Asked >= 1 && Asked <= Filters.size() ? Asked : 1;
}

int SelectedFilterPosition(const QStringList& Filters, const QString& Selected, int Shown)
{
    const qsizetype Index = Filters.indexOf(Selected);
    return Index >= 0 ? int(Index) + 1 : Shown;
}

TMessageResult TQtUserSeam::ShowMessage(
    QWidget* Parent, const QString& Text, const QString& Caption, TMessageButtons Buttons, TMessageIcon Icon)
{
    QMessageBox Box(
        IconOf(Icon), Caption.isEmpty() ? ApplicationTitle() : Caption, Text, StandardButtonsOf(Buttons), Parent);
    return ResultOf(Box.exec(), Buttons);
}

QString TQtUserSeam::GetOpenFileName(const TFileDialogRequest& Request)
{
    return RunFileDialog(Request, QFileDialog::AcceptOpen);
}

QString TQtUserSeam::GetSaveFileName(const TFileDialogRequest& Request)
{
    return RunFileDialog(Request, QFileDialog::AcceptSave);
}

QString TQtUserSeam::GetExistingDirectory(const TFileDialogRequest& Request)
{
    return QFileDialog::getExistingDirectory(Request.Parent, Request.Caption, Request.Directory);
}
