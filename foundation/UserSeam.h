#pragma once

// The one way the program asks or tells the user anything outside its own windows: message boxes,
// questions and file dialogs. The GUI installs a Qt implementation, the unattended export a console
// one, and tests a scripted one.

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

class QWidget;

enum class TMessageButtons
{
    OK,
    OKCancel,
    YesNo,
    YesNoCancel,
};

enum class TMessageIcon
{
    None,
    Information,
    Warning,
    Error,
    Question,
};

enum class TMessageResult
{
    OK,
    Cancel,
    Yes,
    No,
};

struct TFileDialogRequest
{
    QWidget* Parent = nullptr;
    QString Caption;
    QString Directory;
    QString FileName;
    // Qt filter text, e.g. "Code package definition files (*.cpd)"; entries separated by ";;".
    QString Filter;
    QString DefaultSuffix;
    // Position of the filter shown first, counted from 1. When SelectedFilterIndex is given, a
    // dialog that answers a file name stores there the position the user left the filter at.
    int FilterIndex = 1;
    int* SelectedFilterIndex = nullptr;
};

class IUserSeam
{
public:
    virtual ~IUserSeam() = default;

    // An empty Caption means the platform's default caption for the icon.
    virtual TMessageResult ShowMessage(
        QWidget* Parent, const QString& Text, const QString& Caption, TMessageButtons Buttons, TMessageIcon Icon) = 0;
    // The chosen file name, or empty when the user cancelled.
    virtual QString GetOpenFileName(const TFileDialogRequest& Request) = 0;
    virtual QString GetSaveFileName(const TFileDialogRequest& Request) = 0;
    // The chosen folder (Caption and Directory of Request are used), or empty when the user
    // cancelled. A seam without folder dialogs answers as if cancelled.
    virtual QString GetExistingDirectory(const TFileDialogRequest& Request) { return {}; }
};

// The installed seam. Until one is installed, a scripted seam that answers every question with its
// default answer stands in.
IUserSeam& UserSeam();
// Installs Seam (not owned) and returns the one it replaces.
IUserSeam* SetUserSeam(IUserSeam* Seam);

// Shows the report text of the exception being handled in a box owned by Owner, with the warning
// icon and the platform's default caption. Call it from inside a catch block.
void ShowExceptionBox(QWidget* Owner);

// Records every message and answers from queues: what tests install.
class TScriptedUserSeam : public IUserSeam
{
public:
    struct TShownMessage
    {
        QString Text;
        QString Caption;
        TMessageButtons Buttons;
        TMessageIcon Icon;
    };

    TMessageResult ShowMessage(QWidget* Parent,
                               const QString& Text,
                               const QString& Caption,
                               TMessageButtons Buttons,
                               TMessageIcon Icon) override;
    QString GetOpenFileName(const TFileDialogRequest& Request) override;
    QString GetSaveFileName(const TFileDialogRequest& Request) override;
    QString GetExistingDirectory(const TFileDialogRequest& Request) override;

    // Answers used in order; when the queue is empty a question gets OK or Yes.
    std::deque<TMessageResult> Answers;
    std::deque<QString> OpenFileNames;
    std::deque<QString> SaveFileNames;
    std::deque<QString> Directories;
    std::vector<TShownMessage> Messages;
    std::vector<TFileDialogRequest> FileRequests;
};

// Installs a seam for the lifetime of the guard and restores the previous one afterwards.
class TUserSeamGuard
{
public:
    explicit TUserSeamGuard(IUserSeam* Seam) : FPrevious(SetUserSeam(Seam)) {}
    ~TUserSeamGuard() { SetUserSeam(FPrevious); }
    TUserSeamGuard(const TUserSeamGuard&) = delete;
    TUserSeamGuard& operator=(const TUserSeamGuard&) = delete;

private:
    IUserSeam* FPrevious;
};
