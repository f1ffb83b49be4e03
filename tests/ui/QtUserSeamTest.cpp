#include "ui/QtUserSeam.h"

#include "ui/BusyCursorBackend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs Action on the modal dialog as soon as the seam has opened it.
template <class TDialog> void OnModal(std::function<void(TDialog&)> Action)
{
    QTimer::singleShot(0, [Action] {
        auto* Dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(Dialog, nullptr);
        Action(*Dialog);
    });
}

TEST(QtUserSeam, BoxesShowTheirTitleIconAndButtonsAndAnswerTheClick)
{
    const struct
    {
        TMessageButtons Buttons;
        QMessageBox::StandardButtons Shown;
        // NoButton closes the box instead of clicking.
        QMessageBox::StandardButton Clicked;
        TMessageResult Expected;
        TMessageIcon Icon;
        QMessageBox::Icon ShownIcon;
    } Cases[] = {{TMessageButtons::OK,
                  QMessageBox::Ok,
                  QMessageBox::Ok,
                  TMessageResult::OK,
                  TMessageIcon::None,
                  QMessageBox::NoIcon},
                 {TMessageButtons::OKCancel,
                  QMessageBox::Ok | QMessageBox::Cancel,
                  QMessageBox::Ok,
                  TMessageResult::OK,
                  TMessageIcon::Information,
                  QMessageBox::Information},
                 {TMessageButtons::YesNo,
                  QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::NoButton,
                  TMessageResult::No,
                  TMessageIcon::Warning,
                  QMessageBox::Warning},
                 {TMessageButtons::YesNoCancel,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  QMessageBox::No,
                  TMessageResult::No,
                  TMessageIcon::Error,
                  QMessageBox::Critical},
                 {TMessageButtons::YesNoCancel,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  QMessageBox::NoButton,
                  TMessageResult::Cancel,
                  TMessageIcon::Question,
                  QMessageBox::Question}};
    TQtUserSeam Seam;
    for (const auto& Case : Cases) {
        QMessageBox::StandardButtons Shown;
        QString Title;
        QMessageBox::Icon Icon = QMessageBox::NoIcon;
        OnModal<QMessageBox>([&](QMessageBox& Box) {
            Shown = Box.standardButtons();
            Title = Box.windowTitle();
            Icon = Box.icon();
            if (Case.Clicked == QMessageBox::NoButton)
                Box.close();
            else
                Box.button(Case.Clicked)->click();
        });
        EXPECT_EQ(Seam.ShowMessage(nullptr, QStringLiteral("Text"), QStringLiteral("Caption"), Case.Buttons, Case.Icon),
                  Case.Expected);
        EXPECT_EQ(Shown, Case.Shown);
        EXPECT_EQ(Title, QStringLiteral("Caption"));
        EXPECT_EQ(Icon, Case.ShownIcon);
    }
}

TEST(QtUserSeam, SaveDialogAddsTheDefaultSuffixAndCancelGivesNothing)
{
    QTemporaryDir Directory;
    ASSERT_TRUE(Directory.isValid());
    TFileDialogRequest Request;
    Request.Directory = Directory.path();
    Request.FileName = QStringLiteral("Demo");
    Request.Filter = QStringLiteral("Code package definition files (*.cpd);;All files (*)");
    Request.DefaultSuffix = QStringLiteral("cpd");

    TQtUserSeam Seam;
    OnModal<QFileDialog>([](QFileDialog& Dialog) { QMetaObject::invokeMethod(&Dialog, "accept"); });
    EXPECT_EQ(Seam.GetSaveFileName(Request), Directory.filePath(QStringLiteral("Demo.cpd")));
    OnModal<QFileDialog>([](QFileDialog& Dialog) { Dialog.reject(); });
    EXPECT_TRUE(Seam.GetOpenFileName(Request).isEmpty());
}

TEST(OverrideCursorBackend, HoldsTheWaitCursorWhileBusy)
{
    TOverrideCursorBackend Backend;
    IBusyCursorBackend* Previous = SetBusyCursorBackend(&Backend);
    IncBusyCursor();
    IncBusyCursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    DecBusyCursor();
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    DecBusyCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    SetBusyCursorBackend(Previous);
}

} // namespace
