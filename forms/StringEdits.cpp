#include "forms/StringEdits.h"

#include "forms/ControlSizes.h"
#include "forms/ListKeys.h"
#include "forms/QORApplication.h"
#include "forms/QORForms.h"
#include "foundation/AnsiCodec.h"

#include <QKeyEvent>
#include <QMenu>

#include <limits>

// TEditString

TEditString::TEditString(QWidget* Owner) : QLineEdit(Owner)
{
    AllowBlank = true;
    // Qt would cut a longer text short, and storing it back would lose the rest.
    setMaxLength(std::numeric_limits<int>::max());
    SetInitialHeight(this, EditHeight(this));
}

void TEditString::StoreValue()
{
    if (Variable)
        Variable.Set(text());
}

void TEditString::LoadValue()
{
    if (Variable)
        setText(Variable.Get());
}

void TEditString::SetDefault()
{
    if (UseDefault)
        setText(DefaultValue);
}

bool TEditString::Validate()
{
    if (SkipsValidation(this))
        return true;
    if (!AllowBlank && text().isEmpty())
        return Fail(this, QuotedName() + QStringLiteral(" must not be blank."));
    return CheckStorable(this, text());
}

int TEditString::GetPreferredWidth(const TCanvas&)
{
    return 200;
}

int TEditString::GetPreferredHeight(const TCanvas&)
{
    return height();
}

// TEditMultilineString

TEditMultilineString::TEditMultilineString(QWidget* Owner) : QPlainTextEdit(Owner)
{
    // Tab moves on to the next control rather than typing a tab into the text.
    setTabChangesFocus(true);
    SetScrollBars(ssNone);
}

void TEditMultilineString::SetScrollBars(TScrollStyle ScrollBars)
{
    FScrollBars = ScrollBars;
    const bool Horizontal = ScrollBars == ssHorizontal || ScrollBars == ssBoth;
    const bool Vertical = ScrollBars == ssVertical || ScrollBars == ssBoth;
    setHorizontalScrollBarPolicy(Horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // Without a horizontal scroll bar long lines wrap, as they must stay reachable.
    setLineWrapMode(Horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

QString TEditMultilineString::Text() const
{
    QString Result = toPlainText();
    if (FLineBreak != QLatin1String("\n"))
        Result.replace(QLatin1Char('\n'), FLineBreak);
    return Result;
}

void TEditMultilineString::SetText(const QString& Text)
{
    if (Text.contains(QLatin1String("\r\n")))
        FLineBreak = QStringLiteral("\r\n");
    else if (Text.contains(QLatin1Char('\n')))
        FLineBreak = QStringLiteral("\n");
    QString Shown = Text;
    Shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setPlainText(Shown);
}

void TEditMultilineString::StoreValue()
{
    if (Variable)
        Variable.Set(Text());
}

void TEditMultilineString::LoadValue()
{
    if (Variable)
        SetText(Variable.Get());
}

void TEditMultilineString::SetDefault()
{
    if (UseDefault)
        SetText(DefaultValue);
}

bool TEditMultilineString::Validate()
{
    if (SkipsValidation(this))
        return true;
    if (!AllowBlank && toPlainText().isEmpty())
        return Fail(this, QuotedName() + QStringLiteral(" must not be blank."));
    return CheckStorable(this, toPlainText());
}

int TEditMultilineString::GetPreferredWidth(const TCanvas&)
{
    return 200;
}

int TEditMultilineString::GetPreferredHeight(const TCanvas&)
{
    return PreferredHeight;
}

// TEditStrings

TEditStrings::TEditStrings(QWidget* Owner) : QListWidget(Owner)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    FMenu = new QMenu(this);
    FCreateAction = FMenu->addAction(QStringLiteral("Create"));
    FEditAction = FMenu->addAction(QStringLiteral("Edit"));
    FDeleteAction = FMenu->addAction(QStringLiteral("Delete"));
    connect(FCreateAction, &QAction::triggered, this, [this] { GuardedEvent([this] { CreateClick(); }, this); });
    connect(FEditAction, &QAction::triggered, this, [this] { GuardedEvent([this] { EditClick(); }, this); });
    connect(FDeleteAction, &QAction::triggered, this, [this] { GuardedEvent([this] { DeleteClick(); }, this); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& Position) {
        UpdateMenu();
        FMenu->popup(viewport()->mapToGlobal(Position));
    });
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { GuardedEvent([this] { EditClick(); }, this); });
    connect(this, &QListWidget::itemSelectionChanged, this, &TEditStrings::UpdateMenu);
    ShowListKeys({FCreateAction, FEditAction, FDeleteAction});
    setAccessibleDescription(
        QStringLiteral("Insert: create a line. F2: edit the selected line. Delete: delete the selected line."));
    UpdateMenu();
}

void TEditStrings::keyPressEvent(QKeyEvent* Event)
{
    UpdateMenu();
    if (RunListKey(*Event, {FCreateAction, FEditAction, FDeleteAction}))
        Event->accept();
    else
        QListWidget::keyPressEvent(Event);
}

int TEditStrings::SelectedRow() const
{
    const QList<QListWidgetItem*> Selected = selectedItems();
    return Selected.isEmpty() ? -1 : row(Selected.first());
}

void TEditStrings::UpdateMenu()
{
    const bool HasSelection = SelectedRow() >= 0;
    FEditAction->setEnabled(HasSelection);
    FDeleteAction->setEnabled(HasSelection);
}

QStringList TEditStrings::Lines() const
{
    QStringList Result;
    for (int I = 0; I < count(); ++I)
        Result.append(item(I)->text());
    return Result;
}

void TEditStrings::CreateClick()
{
    QString Text;
    if (PromptForString(this, QStringLiteral("Create"), Text, ValueName))
        addItem(Text);
}

void TEditStrings::EditClick()
{
    const int Row = SelectedRow();
    if (Row < 0)
        return;
    QString Text = item(Row)->text();
    if (PromptForString(this, QStringLiteral("Edit"), Text, ValueName))
        item(Row)->setText(Text);
}

void TEditStrings::DeleteClick()
{
    const int Row = SelectedRow();
    if (Row >= 0)
        delete takeItem(Row);
    UpdateMenu();
}

bool TEditStrings::Validate()
{
    if (SkipsValidation(this))
        return true;
    for (int I = 0; I < count(); ++I) {
        if (!CanStoreAsAnsi(item(I)->text())) {
            setCurrentRow(I);
            return CheckStorable(this, Lines().join(QLatin1Char('\n')));
        }
    }
    return true;
}

void TEditStrings::StoreValue()
{
    if (Variable)
        Variable.Set(Lines());
}

void TEditStrings::LoadValue()
{
    if (!Variable)
        return;
    const QStringList Values = Variable.Get();
    setUpdatesEnabled(false);
    clear();
    addItems(Values);
    setUpdatesEnabled(true);
    UpdateMenu();
}

bool PromptForString(QWidget* Owner, const QString& Caption, QString& Text, const QString& ValueName)
{
    QString Entry = Text;
    TQORAutoForm Prompt(Owner);
    Prompt.Setup({.Caption = Caption, .MinControlWidth = 200});
    AddControl(Prompt.Items(), CreateEditString(&Prompt, &Entry, ValueName, false, QString(), true, false));
    if (!Prompt.Execute())
        return false;
    Text = Entry;
    return true;
}

TEditString* CreateEditString(QWidget* Owner,
                              TBinding<QString> Variable,
                              const QString& ValueName,
                              bool UseDefault,
                              const QString& DefaultValue,
                              bool AllowBlank,
                              bool ReadOnly)
{
    auto* Control = new TEditString(Owner);
    Control->ValueName = ValueName;
    Control->UseDefault = UseDefault;
    Control->DefaultValue = DefaultValue;
    Control->AllowBlank = AllowBlank;
    Control->setReadOnly(ReadOnly);
    Control->Variable = std::move(Variable);
    return Control;
}

TEditMultilineString* CreateEditMultilineString(QWidget* Owner,
                                                TBinding<QString> Variable,
                                                const QString& ValueName,
                                                bool UseDefault,
                                                const QString& DefaultValue,
                                                bool AllowBlank,
                                                int PreferredHeight,
                                                bool ReadOnly,
                                                TScrollStyle ScrollBars)
{
    auto* Control = new TEditMultilineString(Owner);
    Control->ValueName = ValueName;
    Control->UseDefault = UseDefault;
    Control->DefaultValue = DefaultValue;
    Control->AllowBlank = AllowBlank;
    Control->PreferredHeight = PreferredHeight;
    Control->setReadOnly(ReadOnly);
    Control->SetScrollBars(ScrollBars);
    Control->Variable = std::move(Variable);
    return Control;
}

TEditStrings* CreateEditStrings(
    QWidget* Owner, TBinding<QStringList> Variable, const QString& ValueName, int PreferredWidth, int PreferredHeight)
{
    auto* Control = new TEditStrings(Owner);
    Control->ValueName = ValueName;
    Control->PreferredWidth = PreferredWidth;
    Control->PreferredHeight = PreferredHeight;
    Control->Variable = std::move(Variable);
    return Control;
}
