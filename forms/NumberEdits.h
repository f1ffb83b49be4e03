#pragma once

// The edits whose text stands for a value of another type: a signed 32-bit integer and a GUID.

#include "forms/BoundControl.h"
#include "foundation/GUID.h"

#include <QLineEdit>
#include <QString>

#include <cstdint>

class QMenu;

class TEditInteger : public QLineEdit, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditInteger(QWidget* Owner = nullptr);

    int32_t DefaultValue = 0;
    bool CheckMinValue = true;
    int32_t MinValue = 0;
    bool CheckMaxValue = true;
    int32_t MaxValue = 0;
    TBinding<int32_t> Variable;

    // The text as a signed 32-bit integer; raises a conversion error when it is none.
    int32_t Value() const;
    void SetValue(int32_t Value);

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
};

// Reads Text as a signed 32-bit integer: optional sign, decimal digits (or hexadecimal after "$"
// or "0x"), surrounding blanks allowed. False for anything else, overflow included.
bool ParseInteger(const QString& Text, int32_t& Value);

class TEditGUID : public QLineEdit, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditGUID(QWidget* Owner = nullptr);

    bool DisplayZeroAsBlank = false;
    TBinding<TGUID> Variable;

    QMenu* PopupMenu() const { return FMenu; }
    // Shows a fresh GUID and selects it.
    void NewGUIDClick();

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override {}
    void UndoDefault() override {}
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;

private:
    QMenu* FMenu = nullptr;
};

// Creation operations: each creates the control with the given owner, applies the settings, binds
// the variable and returns the control; the caller adds it to a form with AddItem or AddControl.

TEditInteger* CreateEditInteger(QWidget* Owner,
                                TBinding<int32_t> Variable,
                                const QString& ValueName,
                                bool UseDefault,
                                int32_t DefaultValue,
                                bool CheckMinValue,
                                int32_t MinValue,
                                bool CheckMaxValue,
                                int32_t MaxValue,
                                bool ReadOnly = false);

TEditGUID* CreateEditGUID(QWidget* Owner, TBinding<TGUID> Variable, const QString& ValueName, bool DisplayZeroAsBlank);
