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

TEST(QtUserSeam, BoxesShowTheirButtonsAndAnswerTheClick)
{
    const struct
    {
        TMessageButtons Buttons;
        QMessageBox::StandardButtons Shown;
        // NoButton closes the box instead of clicking.
        QMessageBox::StandardButton Clicked;
        TMessageResult Expected;
    } Cases[] = {
        {TMessageButtons::OK, QMessageBox::Ok, QMessageBox::Ok, TMessageResult::OK},
        {TMessageButtons::OKCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, TMessageResult::OK},
        {TMessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton, TMessageResult::No},
        {TMessageButtons::YesNoCancel,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         QMessageBox::No,
         TMessageResult::No},
        {TMessageButtons::YesNoCancel,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         QMessageBox::NoButton,
         TMessageResult::Cancel}};
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
        EXPECT_EQ(Seam.ShowMessage(
                      nullptr, QStringLiteral("Text"), QStringLiteral("Caption"), Case.Buttons, TMessageIcon::Question),
                  Case.Expected);
        EXPECT_EQ(Shown, Case.Shown);
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
