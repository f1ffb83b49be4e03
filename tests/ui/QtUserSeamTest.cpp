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

struct TBoxCase
{
    TMessageButtons Buttons;
    QMessageBox::StandardButtons Shown;
    // The button clicked; NoButton closes the box instead.
    QMessageBox::StandardButton Clicked;
    TMessageResult Expected;
};

class QtUserSeamBoxTest : public ::testing::TestWithParam<TBoxCase>
{};

TEST_P(QtUserSeamBoxTest, ShowsTheButtonsAndAnswersTheClick)
{
    const TBoxCase Case = GetParam();
    QMessageBox::StandardButtons Shown;
    OnModal<QMessageBox>([&Shown, Case](QMessageBox& Box) {
        Shown = Box.standardButtons();
        if (Case.Clicked == QMessageBox::NoButton)
            Box.close();
        else
            Box.button(Case.Clicked)->click();
    });
    TQtUserSeam Seam;
    EXPECT_EQ(Seam.ShowMessage(
                  nullptr, QStringLiteral("Text"), QStringLiteral("Caption"), Case.Buttons, TMessageIcon::Question),
              Case.Expected);
    EXPECT_EQ(Shown, Case.Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    QtUserSeamBoxTest,
    ::testing::Values(
        TBoxCase{TMessageButtons::OK, QMessageBox::Ok, QMessageBox::Ok, TMessageResult::OK},
        TBoxCase{TMessageButtons::OK, QMessageBox::Ok, QMessageBox::NoButton, TMessageResult::OK},
        TBoxCase{TMessageButtons::OKCancel,
                 QMessageBox::Ok | QMessageBox::Cancel,
                 QMessageBox::Cancel,
                 TMessageResult::Cancel},
        TBoxCase{TMessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, TMessageResult::Yes},
        TBoxCase{TMessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton, TMessageResult::No},
        TBoxCase{TMessageButtons::YesNoCancel,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                 QMessageBox::No,
                 TMessageResult::No},
        TBoxCase{TMessageButtons::YesNoCancel,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                 QMessageBox::NoButton,
                 TMessageResult::Cancel}));

TEST(QtUserSeam, FailureBoxHasApplicationTitleAndWarningIcon)
{
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    OnModal<QMessageBox>([&](QMessageBox& Box) {
        Title = Box.windowTitle();
        Text = Box.text();
        Icon = Box.icon();
        Box.button(QMessageBox::Ok)->click();
    });
    TQtUserSeam Seam;
    Seam.ShowMessage(
        nullptr, QStringLiteral("Not implemented."), QString(), TMessageButtons::OK, TMessageIcon::Warning);
    EXPECT_EQ(Title, QStringLiteral("Quillon"));
    EXPECT_EQ(Text, QStringLiteral("Not implemented."));
    EXPECT_EQ(Icon, QMessageBox::Warning);
}

TEST(QtUserSeam, SaveDialogAddsTheDefaultSuffixAndCancelGivesNothing)
{
    QTemporaryDir Directory;
    ASSERT_TRUE(Directory.isValid());
    TFileDialogRequest Request;
    Request.Caption = QStringLiteral("Save As");
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
