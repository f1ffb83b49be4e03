#pragma once

// The forms that edit the package's own properties, one per property line of the package tree.
// Their controls are bound straight to the package's fields, which change only on OK.

#include "forms/QORForms.h"

#include <memory>

class TData;

enum class TPackageProperty
{
    ID,
    // Name, description, 'About' information, creator and sub creator.
    Info,
    AllowExportFromLMS,
    BetaSoftware,
};

std::unique_ptr<TQORAutoForm> CreatePackagePropertiesForm(QWidget* Owner, TData& Package, TPackageProperty Property);
