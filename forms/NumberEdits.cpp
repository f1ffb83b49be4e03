#include "forms/NumberEdits.h"

#include "forms/ControlSizes.h"
#include "forms/QORApplication.h"
#include "foundation/General.h"
#include "foundation/QORExceptions.h"

#include <QMenu>

#include <limits>
#include <optional>

namespace {

// The registry form only: 38 characters with the braces, no blanks around (either case of digits).
std::optional<TGUID> ParseGUIDText(const QString& Text)
{
    if (Text.size() != 38 || !Text.startsWith(QLatin1Char('{')) || !Text.endsWith(QLatin1Char('}')))
        return std::nullopt;
    return TGUID::FromString(Text);
}

} // namespace

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
    int32_t Number = 0;
    if (!ParseInteger(text(), Number)) {
        // Validation passes hidden and disabled controls unread; what they hold is not an entry,
        // and OK must not fail after the form closed.
        if (SkipsValidation(this))
            return;
        throw ERuntime(TRuntimeErrorKind::Convert, QStringLiteral("'%1' is not a valid integer value").arg(text()));
    }
    Variable.Set(Number);
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
    if (!Parsed && SkipsValidation(this))
        return; // not an entry: see TEditInteger::StoreValue
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
