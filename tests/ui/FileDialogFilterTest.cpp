#include "ui/QtUserSeam.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A dialog that reports a filter it was not given (as a platform dialog may) answers the position
// it was asked to show, never a position 0 that the caller cannot map.
TEST(FileDialogFilter, TheSaveDialogAnswersTheAskedPositionForAForeignFilter)
{
    QTemporaryDir Directory;
    ASSERT_TRUE(Directory.isValid());
    TFileDialogRequest Request;
    Request.Directory = Directory.path();
    Request.FileName = QStringLiteral("Demo.cpk");
    Request.Filter = QStringLiteral("Code Package File (*.cpk);;Archive (*.zip)");
    Request.FilterIndex = 2;
    int Selected = -1;
    Request.SelectedFilterIndex = &Selected;

    QTimer::singleShot(0, [] {
        auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(Dialog, nullptr);
        Dialog->setNameFilters({QStringLiteral("Something else (*)")});
        QMetaObject::invokeMethod(Dialog, "accept");
    });
    TQtUserSeam Seam;
    EXPECT_FALSE(Seam.GetSaveFileName(Request).isEmpty());
    EXPECT_EQ(Selected, 2);
}

} // namespace
