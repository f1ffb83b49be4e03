#pragma once

// Message boxes and file dialogs on screen. An empty caption stands for the application's title,
// Qt having no default error caption of its own.

#include "foundation/UserSeam.h"

#include <QStringList>

class TQtUserSeam : public IUserSeam
{
public:
    TMessageResult ShowMessage(QWidget* Parent,
                               const QString& Text,
                               const QString& Caption,
                               TMessageButtons Buttons,
                               TMessageIcon Icon) override;
    QString GetOpenFileName(const TFileDialogRequest& Request) override;
    QString GetSaveFileName(const TFileDialogRequest& Request) override;
    QString GetExistingDirectory(const TFileDialogRequest& Request) override;
};

// Filter positions of a file dialog, counted from 1. The dialog shows the asked position, or the
// first filter when there is no such position.
int ShownFilterPosition(const QStringList& Filters, int Asked);
// The position the user left the dialog at. A filter that is not in the list (a platform dialog may
// report one of its own, or none) keeps the position that was shown.
int SelectedFilterPosition(const QStringList& Filters, const QString& Selected, int Shown);
