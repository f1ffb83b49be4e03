#include "ui/QtUserSeam.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(FileDialogFilter, AFilterOutsideTheListKeepsThePositionTheDialogShowed)
{
    const QStringList Filters{QStringLiteral("A (*.a)"), QStringLiteral("B (*.b)")};
    EXPECT_EQ(SelectedFilterPosition(Filters, QStringLiteral("B (*.b)"), 1), 2);
    EXPECT_EQ(SelectedFilterPosition(Filters, QStringLiteral("Other (*.x)"), 2), 2);
    EXPECT_EQ(SelectedFilterPosition(Filters, QString(), 1), 1);
    EXPECT_EQ(ShownFilterPosition(Filters, 2), 2);
    EXPECT_EQ(ShownFilterPosition(Filters, 3), 1) << "no such position: the first is shown";
    EXPECT_EQ(ShownFilterPosition(Filters, 0), 1);
}

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
