#pragma once

// Message boxes and file dialogs on screen. An empty caption stands for the application's title,
// Qt having no default error caption of its own.

#include "foundation/UserSeam.h"

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
};
