#pragma once

// Shared by the form tests: a small record to edit, a fixture with a scripted user seam, and a way
// to act on a modal dialog while Execute waits for it.

#include "foundation/GUID.h"
#include "foundation/QORObject.h"
#include "foundation/UserSeam.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// The working object of the test dialogs.
class TTestRecord : public TQORObject
{
    QOR_DECLARE_CLASS
public:
    QString Name;
    int32_t Count = 0;
    TGUID ID;
    int32_t Location = 0;
    bool Flag = false;
    QStringList Lines;

    void Assign(const TQORObject* Source, bool KeepReferences) override;
};

// A record of another class, for the class check of Execute.
class TOtherRecord : public TQORObject
{
    QOR_DECLARE_CLASS
};

class FormTest : public ::testing::Test
{
protected:
    // The texts of the message boxes shown so far.
    QStringList MessageTexts() const;

    TScriptedUserSeam Seam;
    TUserSeamGuard SeamGuard{&Seam};
};

// Runs Steps with the modal dialog once it is showing. A dialog the steps leave open is closed
// afterwards, so that a failing test cannot hang.
void WhenModal(std::function<void(QWidget* Dialog)> Steps);
