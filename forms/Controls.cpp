#include "forms/Controls.h"

#include "forms/QORApplication.h"
#include "foundation/General.h"
#include "foundation/QORExceptions.h"
#include "foundation/UserSeam.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <limits>

namespace {

// Gap between a left-justified caption and its box.
constexpr int CaptionGap = 6;

int EditHeight(QWidget* Control)
{
    return Control->sizeHint().height();
}

// The registry form only: 38 characters with the braces, no blanks around (either case of digits).
std::optional<TGUID> ParseGUIDText(const QString& Text)
{
    if (Text.size() != 38 || !Text.startsWith(QLatin1Char('{')) || !Text.endsWith(QLatin1Char('}')))
        return std::nullopt;
    return TGUID::FromString(Text);
}

// Qt sizes a fresh child 100 x 30; controls start at the height their style wants.
void SetInitialHeight(QWidget* Control, int Height)
{
    Control->resize(Control->width(), Height);
}

} // namespace

// TBoundControl

QString TBoundControl::QuotedName() const
{
    return ValueName.isEmpty() ? QStringLiteral("Value") : QLatin1Char('\'') + ValueName + QLatin1Char('\'');
}

QString TBoundControl::InvalidText() const
{
    return ValueName.isEmpty() ? QStringLiteral("Invalid value.")
                               : QLatin1Char('\'') + ValueName + QStringLiteral("' is invalid.");
}

bool TBoundControl::Fail(QWidget* Control, const QString& Message) const
{
    UserSeam().ShowMessage(Control->window(), Message, QString(), TMessageButtons::OK, TMessageIcon::Warning);
    // Taking the focus brings the control's window to the front, as the platform's focus call does.
    QWidget* Window = Control->window();
    if (Window->isVisible() && !Window->isActiveWindow()) {
        Window->activateWindow();
        QApplication::setActiveWindow(Window);
    }
    Control->setFocus(Qt::OtherFocusReason);
    if (auto* Edit = qobject_cast<QLineEdit*>(Control))
        Edit->selectAll();
    return false;
}

bool TBoundControl::SkipsValidation(const QWidget* Control)
{
    if (!IsControlShown(Control))
        return true;
    const QWidget* Parent = Control->parentWidget();
    return Parent ? !Control->isEnabledTo(Parent) : !Control->isEnabled();
}

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
    return true;
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
    return true;
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
    UpdateMenu();
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
    if (PromptForString(this, QStringLiteral("Create"), Text))
        addItem(Text);
}

void TEditStrings::EditClick()
{
    const int Row = SelectedRow();
    if (Row < 0)
        return;
    QString Text = item(Row)->text();
    if (PromptForString(this, QStringLiteral("Edit"), Text))
        item(Row)->setText(Text);
}

void TEditStrings::DeleteClick()
{
    const int Row = SelectedRow();
    if (Row >= 0)
        delete takeItem(Row);
    UpdateMenu();
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

bool PromptForString(QWidget* Owner, const QString& Caption, QString& Text)
{
    QString Entry = Text;
    TQORAutoForm Prompt(Owner);
    Prompt.Setup(bsDialog, Caption, true, true, false, false, false, blBottomRow, 0, 200, 0, 0);
    AddControl(Prompt.Items(), CreateEditString(&Prompt, &Entry, QString(), false, QString(), true, false));
    if (!Prompt.Execute())
        return false;
    Text = Entry;
    return true;
}

// TEditInteger

bool ParseInteger(const QString& Text, int32_t& Value)
{
    const QString Trimmed = Text.trimmed();
    if (Trimmed.isEmpty())
        return false;
    int Position = 0;
    bool Negative = false;
    if (Trimmed[0] == QLatin1Char('-') || Trimmed[0] == QLatin1Char('+')) {
        Negative = Trimmed[0] == QLatin1Char('-');
        ++Position;
    }
    int Base = 10;
    if (Trimmed.mid(Position, 1) == QLatin1String("$")) {
        Base = 16;
        Position += 1;
    } else if (Trimmed.mid(Position, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        Base = 16;
        Position += 2;
    }
    const QString Digits = Trimmed.mid(Position);
    if (Digits.isEmpty())
        return false;
    for (const QChar C : Digits) {
        const bool Ok = Base == 10 ? (C >= QLatin1Char('0') && C <= QLatin1Char('9')) : isxdigit(C.toLatin1()) != 0;
        if (!Ok || C.unicode() > 0x7F)
            return false;
    }
    bool Ok = false;
    const qulonglong Magnitude = Digits.toULongLong(&Ok, Base);
    if (!Ok)
        return false;
    const qulonglong Limit = Negative ? qulonglong(std::numeric_limits<int32_t>::max()) + 1
                                      : qulonglong(std::numeric_limits<int32_t>::max());
    if (Magnitude > Limit)
        return false;
    Value = Negative ? static_cast<int32_t>(-static_cast<int64_t>(Magnitude)) : static_cast<int32_t>(Magnitude);
    return true;
}

TEditInteger::TEditInteger(QWidget* Owner) : QLineEdit(Owner)
{
    setText(QStringLiteral("0"));
    SetInitialHeight(this, EditHeight(this));
}

int32_t TEditInteger::Value() const
{
    int32_t Result = 0;
    if (!ParseInteger(text(), Result))
        throw ERuntime(TRuntimeErrorKind::Convert, QStringLiteral("'%1' is not a valid integer value").arg(text()));
    return Result;
}

void TEditInteger::SetValue(int32_t Value)
{
    setText(QString::number(Value));
}

void TEditInteger::StoreValue()
{
    if (!Variable)
        return;
    if (AllowBlank && text().isEmpty())
        return;
    Variable.Set(Value());
}

void TEditInteger::LoadValue()
{
    if (Variable)
        SetValue(Variable.Get());
}

void TEditInteger::SetDefault()
{
    if (UseDefault)
        SetValue(DefaultValue);
}

bool TEditInteger::Validate()
{
    if (SkipsValidation(this))
        return true;
    if (text().isEmpty() && AllowBlank)
        return true;
    int32_t Number = 0;
    if (!ParseInteger(text(), Number))
        return Fail(this, InvalidText());
    // An empty or inverted range means no limit.
    if (CheckMinValue && CheckMaxValue && MaxValue <= MinValue)
        return true;
    if (CheckMinValue && CheckMaxValue) {
        if (Number < MinValue || Number > MaxValue)
            return Fail(this,
                        QuotedName() + QStringLiteral(" must be in the range %1 to %2.").arg(MinValue).arg(MaxValue));
        return true;
    }
    if (CheckMinValue && Number < MinValue)
        return Fail(this, QuotedName() + QStringLiteral(" must be greater than or equal to %1.").arg(MinValue));
    if (CheckMaxValue && Number > MaxValue)
        return Fail(this, QuotedName() + QStringLiteral(" must be less than or equal to %1.").arg(MaxValue));
    return true;
}

int TEditInteger::GetPreferredWidth(const TCanvas&)
{
    return 200;
}

int TEditInteger::GetPreferredHeight(const TCanvas&)
{
    return height();
}

// TEditGUID

TEditGUID::TEditGUID(QWidget* Owner) : QLineEdit(Owner)
{
    SetInitialHeight(this, EditHeight(this));
    FMenu = new QMenu(this);
    QAction* NewGUID = FMenu->addAction(QStringLiteral("New GUID"));
    connect(NewGUID, &QAction::triggered, this, [this] { GuardedEvent([this] { NewGUIDClick(); }, this); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& Position) {
        FMenu->popup(mapToGlobal(Position));
    });
}

void TEditGUID::NewGUIDClick()
{
    setText(CreateGUID().ToString());
    selectAll();
}

void TEditGUID::StoreValue()
{
    if (!Variable)
        return;
    if (DisplayZeroAsBlank && text().isEmpty()) {
        Variable.Set(TGUID{});
        return;
    }
    const std::optional<TGUID> Parsed = ParseGUIDText(text());
    if (!Parsed)
        throw ERuntime(TRuntimeErrorKind::Convert, QStringLiteral("'%1' is not a valid GUID value").arg(text()));
    Variable.Set(*Parsed);
}

void TEditGUID::LoadValue()
{
    if (!Variable)
        return;
    const TGUID Value = Variable.Get();
    setText(DisplayZeroAsBlank && Value.IsNull() ? QString() : Value.ToString());
}

bool TEditGUID::Validate()
{
    if (SkipsValidation(this))
        return true;
    if (DisplayZeroAsBlank && text().isEmpty())
        return true;
    if (!ParseGUIDText(text()))
        return Fail(this, InvalidText());
    return true;
}

int TEditGUID::GetPreferredWidth(const TCanvas&)
{
    return 360;
}

int TEditGUID::GetPreferredHeight(const TCanvas&)
{
    return height();
}

// TEnumerationComboBox

TEnumerationComboBox::TEnumerationComboBox(QWidget* Owner) : QComboBox(Owner)
{
    setEditable(false);
    setMaxVisibleItems(20);
    SetInitialHeight(this, std::max(21, EditHeight(this)));
}

void TEnumerationComboBox::AddValue(const QString& Text, int32_t Value)
{
    addItem(Text, QVariant(Value));
}

int32_t TEnumerationComboBox::Value() const
{
    const int Index = currentIndex();
    return Index < 0 ? 0 : itemData(Index).toInt();
}

void TEnumerationComboBox::SetValue(int32_t Value)
{
    setCurrentIndex(-1);
    for (int I = 0; I < count(); ++I)
        if (itemData(I).toInt() == Value) {
            setCurrentIndex(I);
            return;
        }
}

void TEnumerationComboBox::StoreValue()
{
    if (Variable)
        Variable.Set(Value());
}

void TEnumerationComboBox::LoadValue()
{
    if (Variable)
        SetValue(Variable.Get());
}

void TEnumerationComboBox::SetDefault()
{
    if (UseDefault)
        SetValue(DefaultValue);
}

bool TEnumerationComboBox::Validate()
{
    if (SkipsValidation(this))
        return true;
    if (currentIndex() < 0)
        return Fail(this, QuotedName() + QStringLiteral(" not set."));
    return true;
}

int TEnumerationComboBox::GetPreferredWidth(const TCanvas&)
{
    return 200;
}

int TEnumerationComboBox::GetPreferredHeight(const TCanvas&)
{
    return height();
}

// TBooleanCheckBox

TBooleanCheckBox::TBooleanCheckBox(QWidget* Owner) : QCheckBox(Owner)
{
    SetInitialHeight(this, 18);
}

void TBooleanCheckBox::SetAllowBlank(bool Allow)
{
    AllowBlank = Allow;
    setTristate(Allow);
}

void TBooleanCheckBox::SetAlignment(TAlignment Alignment)
{
    FAlignment = Alignment;
    update();
}

void TBooleanCheckBox::StoreValue()
{
    if (!Variable)
        return;
    if (AllowBlank && checkState() == Qt::PartiallyChecked)
        return;
    Variable.Set(isChecked());
}

void TBooleanCheckBox::LoadValue()
{
    if (Variable)
        setChecked(Variable.Get());
}

void TBooleanCheckBox::SetDefault()
{
    if (UseDefault)
        setChecked(DefaultValue);
}

bool TBooleanCheckBox::Validate()
{
    if (SkipsValidation(this))
        return true;
    if (checkState() == Qt::PartiallyChecked && !AllowBlank)
        return Fail(this, InvalidText());
    return true;
}

int TBooleanCheckBox::GetPreferredWidth(const TCanvas& Canvas)
{
    return Canvas.horizontalAdvance(text()) + 100;
}

QRect TBooleanCheckBox::IndicatorRect() const
{
    QStyleOptionButton Option;
    initStyleOption(&Option);
    QRect Indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &Option, this);
    if (FAlignment == taLeftJustify && !text().isEmpty())
        Indicator.moveLeft(CaptionRect().right() + 1 + CaptionGap);
    return Indicator;
}

QRect TBooleanCheckBox::CaptionRect() const
{
    const QString Shown = QString(text()).remove(QLatin1Char('&'));
    return QRect(0, 0, fontMetrics().horizontalAdvance(Shown), height());
}

void TBooleanCheckBox::paintEvent(QPaintEvent* Event)
{
    if (FAlignment != taLeftJustify || text().isEmpty()) {
        QCheckBox::paintEvent(Event);
        if (hasFocus() && text().isEmpty()) {
            // Without a caption there is nothing else to show the focus on.
            QStylePainter Painter(this);
            QStyleOptionFocusRect Focus;
            Focus.initFrom(this);
            Focus.rect = rect().adjusted(0, 0, -1, -1);
            Painter.drawPrimitive(QStyle::PE_FrameFocusRect, Focus);
        }
        return;
    }
    QStylePainter Painter(this);
    QStyleOptionButton Option;
    initStyleOption(&Option);
    const QRect Caption = CaptionRect();
    Painter.drawItemText(Caption,
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                         Option.palette,
                         isEnabled(),
                         text(),
                         QPalette::WindowText);
    QStyleOptionButton Box = Option;
    Box.rect = IndicatorRect();
    Painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, Box);
    if (hasFocus()) {
        QStyleOptionFocusRect Focus;
        Focus.initFrom(this);
        Focus.rect = Caption.adjusted(-1, (height() - fontMetrics().height()) / 2 - 1, 1, 0);
        Focus.rect.setHeight(fontMetrics().height() + 2);
        Painter.drawPrimitive(QStyle::PE_FrameFocusRect, Focus);
    }
}

bool TBooleanCheckBox::hitButton(const QPoint& Position) const
{
    if (FAlignment != taLeftJustify || text().isEmpty())
        return QCheckBox::hitButton(Position);
    return CaptionRect().united(IndicatorRect()).contains(Position);
}

// TAutoComboBox

TAutoComboBox::TAutoComboBox(QWidget* Owner) : QComboBox(Owner)
{
    setEditable(false);
    setMaxVisibleItems(20);
    SetInitialHeight(this, std::max(21, EditHeight(this)));
}

// TContainerGroupBox

namespace {

constexpr int GroupGap = 8;
constexpr int GroupRowGap = 3;
constexpr int GroupInset = 7;

} // namespace

TContainerGroupBox::TContainerGroupBox(QWidget* Owner) : QGroupBox(Owner), FItems(this) {}

int TContainerGroupBox::CaptionBand() const
{
    return title().isEmpty() ? 18 : 20;
}

TContainerGroupBox::TContents TContainerGroupBox::Measure(const TCanvas& Canvas)
{
    TContents Contents;
    int WidestUnlabelled = 0;
    for (int32_t I = 0; I < FItems.Count(); ++I) {
        TQORAutoFormItem* Row = FItems.Row(I);
        if (!IsControlShown(Row->Label) && !IsControlShown(Row->Control))
            continue;
        IAutoFormControl* Auto = AsAutoFormControl(Row->Control);
        int ControlWidth = MinControlWidth;
        int ControlHeight = 0;
        if (Row->Control) {
            ControlWidth = std::max(MinControlWidth, Auto ? Auto->GetPreferredWidth(Canvas) : Row->Control->width());
            ControlHeight = Auto ? Auto->GetPreferredHeight(Canvas) : Row->Control->height();
        }
        int LabelHeight = 0;
        if (Row->HasLabel) {
            const int LabelWidth =
                std::max(MinLabelWidth, Canvas.horizontalAdvance(Row->Label ? Row->Label->text() : QString()));
            Contents.LabelColumn = std::max(Contents.LabelColumn, LabelWidth);
            Contents.Width = std::max(Contents.Width, LabelWidth + GroupGap + ControlWidth);
            LabelHeight = Row->Label ? Row->Label->fontMetrics().height() : 0;
        } else {
            WidestUnlabelled = std::max(WidestUnlabelled, ControlWidth);
            Contents.Width = std::max(Contents.Width, WidestUnlabelled);
        }
        Contents.Height += std::max(ControlHeight, LabelHeight) + (Auto ? Auto->GetExtraSpacing() : 0) + GroupRowGap;
    }
    return Contents;
}

int TContainerGroupBox::GetPreferredWidth(const TCanvas& Canvas)
{
    return Measure(Canvas).Width + 2 * GroupInset;
}

int TContainerGroupBox::GetPreferredHeight(const TCanvas& Canvas)
{
    return Measure(Canvas).Height + CaptionBand() + 4;
}

void TContainerGroupBox::ArrangeContents(const TCanvas& Canvas)
{
    const TContents Contents = Measure(Canvas);
    int Y = CaptionBand();
    std::vector<QWidget*> Chain;
    for (int32_t I = 0; I < FItems.Count(); ++I) {
        TQORAutoFormItem* Row = FItems.Row(I);
        if (!IsControlShown(Row->Label) && !IsControlShown(Row->Control))
            continue;
        QWidget* Control = Row->Control;
        IAutoFormControl* Auto = AsAutoFormControl(Control);
        const int Indent = Auto ? Auto->GetLeftIndent() : 0;
        int RowHeight = 0;
        if (Control)
            RowHeight = Auto ? Auto->GetPreferredHeight(Canvas) : Control->height();
        int LabelHeight = 0;
        if (Row->HasLabel && Row->Label) {
            const QFontMetrics Metrics = Row->Label->fontMetrics();
            Row->Label->setGeometry(GroupInset, Y, Metrics.horizontalAdvance(Row->Label->text()), Metrics.height());
            LabelHeight = Row->Label->height();
        }
        RowHeight = std::max(RowHeight, LabelHeight);
        int ControlHeight = 0;
        if (Control) {
            const int X = (Row->HasLabel ? GroupInset + Contents.LabelColumn + GroupGap : GroupInset) - Indent;
            Control->setGeometry(X, Y - 3, width() - GroupInset - X, RowHeight);
            ControlHeight = Control->height();
            if (!qobject_cast<QLabel*>(Control))
                Chain.push_back(Control);
        }
        Y += std::max(LabelHeight, ControlHeight) + GroupRowGap + (Auto ? Auto->GetExtraSpacing() : 0);
    }
    for (size_t I = 1; I < Chain.size(); ++I)
        QWidget::setTabOrder(Chain[I - 1], Chain[I]);
    for (int32_t I = 0; I < FItems.Count(); ++I) {
        TQORAutoFormItem* Row = FItems.Row(I);
        if (IAutoFormControl* Auto = AsAutoFormControl(Row->Control))
            if (IsControlShown(Row->Label) || IsControlShown(Row->Control))
                Auto->ArrangeContents(Canvas);
    }
}

void TContainerGroupBox::StoreValue()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->StoreValue();
}

void TContainerGroupBox::LoadValue()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->LoadValue();
}

void TContainerGroupBox::SetDefault()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->SetDefault();
}

void TContainerGroupBox::UndoDefault()
{
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            Control->UndoDefault();
}

bool TContainerGroupBox::Validate()
{
    const QWidget* Parent = parentWidget();
    if (!IsControlShown(this) || !(Parent ? isEnabledTo(Parent) : isEnabled()))
        return true;
    for (int32_t I = 0; I < FItems.Count(); ++I)
        if (IAutoFormControl* Control = AsAutoFormControl(FItems.Row(I)->Control))
            if (!Control->Validate())
                return false;
    return true;
}

// Creation operations

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

TEditInteger* CreateEditInteger(QWidget* Owner,
                                TBinding<int32_t> Variable,
                                const QString& ValueName,
                                bool UseDefault,
                                int32_t DefaultValue,
                                bool CheckMinValue,
                                int32_t MinValue,
                                bool CheckMaxValue,
                                int32_t MaxValue,
                                bool ReadOnly)
{
    auto* Control = new TEditInteger(Owner);
    Control->ValueName = ValueName;
    Control->UseDefault = UseDefault;
    Control->DefaultValue = DefaultValue;
    Control->CheckMinValue = CheckMinValue;
    Control->MinValue = MinValue;
    Control->CheckMaxValue = CheckMaxValue;
    Control->MaxValue = MaxValue;
    Control->setReadOnly(ReadOnly);
    Control->AllowBlank = false;
    Control->Variable = std::move(Variable);
    return Control;
}

TEditGUID* CreateEditGUID(QWidget* Owner, TBinding<TGUID> Variable, const QString& ValueName, bool DisplayZeroAsBlank)
{
    auto* Control = new TEditGUID(Owner);
    Control->ValueName = ValueName;
    Control->DisplayZeroAsBlank = DisplayZeroAsBlank;
    Control->Variable = std::move(Variable);
    return Control;
}

TEnumerationComboBox* CreateEnumerationComboBox(QWidget* Owner,
                                                TBinding<int32_t> Variable,
                                                const QString& ValueName,
                                                int32_t Lowest,
                                                int32_t Highest,
                                                const TEnumerationNameFunction& NameOf,
                                                bool UseDefault,
                                                int32_t DefaultValue)
{
    if (Lowest < 0 || Highest < 0)
        throw E_QOR_InvalidArg();
    auto* Control = new TEnumerationComboBox(Owner);
    try {
        for (int64_t Value = Lowest; Value <= Highest; ++Value)
            Control->AddValue(NameOf(static_cast<int32_t>(Value)), static_cast<int32_t>(Value));
    } catch (...) {
        delete Control;
        throw;
    }
    Control->ValueName = ValueName;
    Control->UseDefault = UseDefault;
    Control->DefaultValue = DefaultValue;
    Control->Variable = std::move(Variable);
    return Control;
}

TBooleanCheckBox* CreateBooleanCheckBox(QWidget* Owner,
                                        const QString& Caption,
                                        TBinding<bool> Variable,
                                        const QString& ValueName,
                                        TAlignment Alignment,
                                        bool UseDefault,
                                        bool DefaultValue,
                                        int Height)
{
    auto* Control = new TBooleanCheckBox(Owner);
    Control->SetAlignment(Alignment);
    Control->SetCaption(Alignment == taLeftJustify && !Caption.isEmpty() ? Caption + QLatin1Char(':') : Caption);
    Control->ValueName = ValueName;
    Control->UseDefault = UseDefault;
    Control->DefaultValue = DefaultValue;
    Control->SetAllowBlank(false);
    Control->resize(Control->width(), Height);
    Control->Variable = std::move(Variable);
    return Control;
}

TContainerGroupBox*
CreateContainerGroupBox(QWidget* Owner, const QString& GroupCaption, int32_t MinLabelWidth, int32_t MinControlWidth)
{
    auto* Control = new TContainerGroupBox(Owner);
    Control->setTitle(GroupCaption);
    Control->MinLabelWidth = MinLabelWidth;
    Control->MinControlWidth = MinControlWidth;
    return Control;
}

TContainerGroupBox* AddGroup(TQORAutoFormItems& Items,
                             QWidget* Owner,
                             const QString& GroupCaption,
                             int32_t MinLabelWidth,
                             int32_t MinControlWidth)
{
    TContainerGroupBox* Group = CreateContainerGroupBox(Owner, GroupCaption, MinLabelWidth, MinControlWidth);
    AddControl(Items, Group);
    return Group;
}

TContainerGroupBox* AddGroupItem(TQORAutoFormItems& Items,
                                 QWidget* Owner,
                                 const QString& RowCaption,
                                 const QString& GroupCaption,
                                 int32_t MinLabelWidth,
                                 int32_t MinControlWidth)
{
    TContainerGroupBox* Group = CreateContainerGroupBox(Owner, GroupCaption, MinLabelWidth, MinControlWidth);
    AddItem(Items, RowCaption, Group);
    return Group;
}

QLabel* CreateTextLabel(QWidget* Owner, const QString& Text)
{
    auto* Label = new QLabel(Owner);
    Label->setTextFormat(Qt::PlainText);
    Label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label->setText(Text);
    Label->resize(Label->fontMetrics().horizontalAdvance(Text), 21);
    return Label;
}

QPushButton* CreateCommandButton(
    QWidget* Owner, const QString& Caption, bool IsDefault, std::function<void()> OnClick, bool IsCancel)
{
    auto* Button = new QPushButton(Caption, Owner);
    Button->setDefault(IsDefault);
    SetDefaultButtonSize(Button);
    if (IsCancel)
        MarkAsCancelButton(Button);
    if (OnClick)
        QObject::connect(Button, &QPushButton::clicked, Button, [Button, OnClick = std::move(OnClick)] {
            GuardedEvent(OnClick, Button);
        });
    return Button;
}
