#include "foundation/UserSeam.h"

#include "foundation/QORExceptions.h"

namespace {

IUserSeam*& CurrentSeam()
{
    static IUserSeam* Seam = nullptr;
    return Seam;
}

TMessageResult DefaultAnswer(TMessageButtons Buttons)
{
    switch (Buttons) {
    case TMessageButtons::YesNo:
    case TMessageButtons::YesNoCancel:
        return TMessageResult::Yes;
    case TMessageButtons::OK:
    case TMessageButtons::OKCancel:
        break;
    }
    return TMessageResult::OK;
}

} // namespace

IUserSeam& UserSeam()
{
    static TScriptedUserSeam Fallback;
    IUserSeam* Seam = CurrentSeam();
    return Seam ? *Seam : Fallback;
}

IUserSeam* SetUserSeam(IUserSeam* Seam)
{
    IUserSeam* Previous = CurrentSeam();
    CurrentSeam() = Seam;
    return Previous;
}

void ShowExceptionBox(QWidget* Owner)
{
    UserSeam().ShowMessage(Owner, GetExceptionReport(), QString(), TMessageButtons::OK, TMessageIcon::Warning);
}

TMessageResult TScriptedUserSeam::ShowMessage(
    QWidget* Parent, const QString& Text, const QString& Caption, TMessageButtons Buttons, TMessageIcon Icon)
{
    Messages.push_back({Text, Caption, Buttons, Icon});
    if (Answers.empty())
        return DefaultAnswer(Buttons);
    const TMessageResult Answer = Answers.front();
    Answers.pop_front();
    return Answer;
}

QString TScriptedUserSeam::GetOpenFileName(const TFileDialogRequest& Request)
{
    FileRequests.push_back(Request);
    if (OpenFileNames.empty())
        return {};
    QString Name = OpenFileNames.front();
    OpenFileNames.pop_front();
    return Name;
}

QString TScriptedUserSeam::GetExistingDirectory(const TFileDialogRequest& Request)
{
    FileRequests.push_back(Request);
    if (Directories.empty())
        return {};
    QString Name = Directories.front();
    Directories.pop_front();
    return Name;
}

QString TScriptedUserSeam::GetSaveFileName(const TFileDialogRequest& Request)
{
    FileRequests.push_back(Request);
    if (SaveFileNames.empty())
        return {};
    QString Name = SaveFileNames.front();
    SaveFileNames.pop_front();
    if (Request.SelectedFilterIndex)
        *Request.SelectedFilterIndex = Request.FilterIndex;
    return Name;
}
