#pragma once

// The text controls: a single-line edit, a memo and a list of strings edited line by line.

#include "forms/BoundControl.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

class QMenu;

class TEditString : public QLineEdit, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditString(QWidget* Owner = nullptr);

    QString DefaultValue;
    TBinding<QString> Variable;

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
};

class TEditMultilineString : public QPlainTextEdit, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditMultilineString(QWidget* Owner = nullptr);

    QString DefaultValue;
    int PreferredHeight = 89;
    TBinding<QString> Variable;

    void SetScrollBars(TScrollStyle ScrollBars);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    // The text with the line breaks the bound value uses.
    QString Text() const;
    void SetText(const QString& Text);

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
    bool CanStretchVertically() override { return true; }

private:
    TScrollStyle FScrollBars = ssNone;
    // Definitions written on Windows break lines with CR LF; a value keeps the breaks it came with.
    QString FLineBreak = QStringLiteral("\r\n");
};

// A list of strings edited line by line through the popup menu "Create", "Edit", "Delete".
class TEditStrings : public QListWidget, public TBoundControl
{
    Q_OBJECT
public:
    explicit TEditStrings(QWidget* Owner = nullptr);

    int PreferredWidth = 200;
    int PreferredHeight = 100;
    TBinding<QStringList> Variable;

    QStringList Lines() const;
    QMenu* PopupMenu() const { return FMenu; }
    QAction* CreateAction() const { return FCreateAction; }
    QAction* EditAction() const { return FEditAction; }
    QAction* DeleteAction() const { return FDeleteAction; }
    // Enables "Edit" and "Delete" only while a line is selected.
    void UpdateMenu();

    void CreateClick();
    void EditClick();
    void DeleteClick();

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override {}
    void UndoDefault() override {}
    // Refuses lines the definition file cannot store; the first such line gets selected.
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override { return PreferredWidth; }
    int GetPreferredHeight(const TCanvas& Canvas) override { return PreferredHeight; }
    bool CanStretchVertically() override { return true; }

protected:
    // Insert creates, F2 edits, Delete deletes, as the popup menu would.
    void keyPressEvent(QKeyEvent* Event) override;

private:
    int SelectedRow() const;

    QMenu* FMenu = nullptr;
    QAction* FCreateAction = nullptr;
    QAction* FEditAction = nullptr;
    QAction* FDeleteAction = nullptr;
};

// Runs the small "Create"/"Edit" prompt of TEditStrings: an automatic form with one edit, whose
// messages use ValueName. True on OK, with Text holding the entry.
bool PromptForString(QWidget* Owner, const QString& Caption, QString& Text, const QString& ValueName = {});

// Creation operations: each creates the control with the given owner, applies the settings, binds
// the variable and returns the control; the caller adds it to a form with AddItem or AddControl.

TEditString* CreateEditString(QWidget* Owner,
                              TBinding<QString> Variable,
                              const QString& ValueName,
                              bool UseDefault = false,
                              const QString& DefaultValue = {},
                              bool AllowBlank = true,
                              bool ReadOnly = false);

TEditMultilineString* CreateEditMultilineString(QWidget* Owner,
                                                TBinding<QString> Variable,
                                                const QString& ValueName,
                                                bool UseDefault,
                                                const QString& DefaultValue,
                                                bool AllowBlank,
                                                int PreferredHeight,
                                                bool ReadOnly,
                                                TScrollStyle ScrollBars);

TEditStrings* CreateEditStrings(
    QWidget* Owner, TBinding<QStringList> Variable, const QString& ValueName, int PreferredWidth, int PreferredHeight);
