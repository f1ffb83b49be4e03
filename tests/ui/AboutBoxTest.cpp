// About names the program and its four-number version, as a screen reader reads it.

#include "ui/AboutBox.h"

#include "QuillonVersion.h"
#include "forms/QORForms.h"

#include <QAccessible>
#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(AboutBox, ReadsQuillonAndTheFourNumbersOfTheVersion)
{
    const auto Box = CreateAboutBox(nullptr);
    Box->show();
    const auto Labels = Box->findChildren<QLabel*>();
    ASSERT_EQ(Labels.size(), 1);
    QAccessibleInterface* Label = QAccessible::queryAccessibleInterface(Labels.first());
    ASSERT_NE(Label, nullptr);
    const QString Text = Label->text(QAccessible::Name);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Quillon V\d+\.\d+\.\d+\.\d+$)")).match(Text).hasMatch())
        << Text.toStdString();
    EXPECT_EQ(Text, QStringLiteral("Quillon V" QUILLON_VERSION_STRING));
    Box->close();
}

} // namespace
