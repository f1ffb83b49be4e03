#include "model/Enumerations.h"

#include "foundation/QORExceptions.h"

namespace {

QString TextOf(const QStringList& Texts, int32_t Value)
{
    if (Value < 0 || Value >= Texts.size())
        throw E_QOR_EnumerationOutOfRange();
    return Texts.at(Value);
}

bool InRange(const QStringList& Texts, int32_t Value)
{
    return Value >= 0 && Value < Texts.size();
}

} // namespace

const QStringList& CodeModuleLocationTexts()
{
    static const QStringList Texts{QStringLiteral("None"), QStringLiteral("Embedded"), QStringLiteral("Linked")};
    return Texts;
}

const QStringList& ObjectServerTypeTexts()
{
    static const QStringList Texts{QStringLiteral("None"), QStringLiteral("COM"), QStringLiteral(".Net")};
    return Texts;
}

const QStringList& DriverLocationTexts()
{
    static const QStringList Texts{QStringLiteral("None"), QStringLiteral("System32"), QStringLiteral("LMS")};
    return Texts;
}

const QStringList& MediaItemTypeTexts()
{
    static const QStringList Texts{
        QStringLiteral("None"), QStringLiteral("Image"), QStringLiteral("Video"), QStringLiteral("Audio")};
    return Texts;
}

const QStringList& TaskModuleTypeTexts()
{
    static const QStringList Texts{QStringLiteral("None"),
                                   QStringLiteral("Task creator"),
                                   QStringLiteral("Task editor"),
                                   QStringLiteral("Task runner"),
                                   QStringLiteral("Task result item viewer"),
                                   QStringLiteral("Task result item exporter"),
                                   QStringLiteral("Task recording player"),
                                   QStringLiteral("Task recording editor"),
                                   QStringLiteral("Task module configurator"),
                                   QStringLiteral("Task module command editor"),
                                   QStringLiteral("Tool"),
                                   QStringLiteral("Task recording analyzer")};
    return Texts;
}

QString CodeModuleLocationText(int32_t Value)
{
    return TextOf(CodeModuleLocationTexts(), Value);
}

QString ObjectServerTypeText(int32_t Value)
{
    return TextOf(ObjectServerTypeTexts(), Value);
}

QString DriverLocationText(int32_t Value)
{
    return TextOf(DriverLocationTexts(), Value);
}

QString MediaItemTypeText(int32_t Value)
{
    return TextOf(MediaItemTypeTexts(), Value);
}

QString TaskModuleTypeText(int32_t Value)
{
    return TextOf(TaskModuleTypeTexts(), Value);
}

bool IsValidCodeModuleLocation(int32_t Value)
{
    return InRange(CodeModuleLocationTexts(), Value);
}

bool IsValidObjectServerType(int32_t Value)
{
    return InRange(ObjectServerTypeTexts(), Value);
}

bool IsValidDriverLocation(int32_t Value)
{
    return InRange(DriverLocationTexts(), Value);
}

bool IsValidMediaItemType(int32_t Value)
{
    return InRange(MediaItemTypeTexts(), Value);
}

bool IsValidTaskModuleType(int32_t Value)
{
    return InRange(TaskModuleTypeTexts(), Value);
}
