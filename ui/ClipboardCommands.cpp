// The element clipboard commands of the main window: Cut, Copy, Paste and Clear on the selected
// node's object. A property node carries its element, so it acts like the element's own node.

#include "forms/ObjectTreeView.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/QORExceptions.h"
#include "model/ElementPaste.h"
#include "ui/MainWindow.h"

void TMain::SelectObjectNode(const TQORObject* Object)
{
    TreeControl->setCurrentItem(Object ? Object->TreeNode() : nullptr);
}

void TMain::PopupMenu_CopyClick()
{
    if (const TQORObject* Object = SelectedObject())
        FClipboard->Copy(*Object);
}

void TMain::PopupMenu_CutClick()
{
    TQORObject* Object = SelectedObject();
    if (!Object)
        return;
    RunCommand([this, Object] {
        FClipboard->Copy(*Object);
        // Deleting sends the notifications that take the element out of every reference to it.
        if (TQORList* List = Object->Parent())
            List->Delete(Object->GetIndex());
        return true;
    });
}

void TMain::PopupMenu_PasteClick()
{
    TQORObject* Target = SelectedObject();
    if (!Target)
        return;
    // A node that takes nothing says so whatever the clipboard holds.
    if (!IsPasteTarget(*Target))
        throw E_QOR_ProgramError(QStringLiteral("Unhandled paste case."));
    TQORObject* Selected = nullptr;
    RunCommand([this, Target, &Selected] {
        // The whole payload is read before the definition is touched: a damaged one changes nothing.
        Selected = PasteElement(*Target, FClipboard->Paste());
        return true;
    });
    SelectObjectNode(Selected);
}

void TMain::PopupMenu_ClearClick()
{
    TQORObject* Target = SelectedObject();
    if (!Target)
        return;
    RunCommand([Target] {
        ClearElementList(*Target);
        return true;
    });
}
