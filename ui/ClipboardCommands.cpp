// The element clipboard commands of the main window: Cut, Copy, Paste and Clear on the selected
// node's object. A property node carries its element, so it acts like the element's own node.

#include "forms/ObjectTreeView.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/QORExceptions.h"
#include "model/ElementPaste.h"
#include "ui/MainWindow.h"

TQORObject* TMain::SelectedNodeObject() const
{
    const TQORTreeNode* Node = TreeControl->Selected();
    return Node ? Node->Object() : nullptr;
}

void TMain::SelectObjectNode(const TQORObject* Object)
{
    TreeControl->setCurrentItem(Object ? Object->TreeNode() : nullptr);
}

void TMain::PopupMenu_CopyClick()
{
    if (const TQORObject* Object = SelectedNodeObject())
        FClipboard->Copy(*Object);
}

void TMain::PopupMenu_CutClick()
{
    TQORObject* Object = SelectedNodeObject();
    if (!Object)
        return;
    FClipboard->Copy(*Object);
    // Deleting sends the notifications that take the element out of every reference to it.
    if (TQORList* List = Object->Parent())
        List->Delete(Object->GetIndex());
    FModified = true;
    UpdateView();
}

void TMain::PopupMenu_PasteClick()
{
    TQORObject* Target = SelectedNodeObject();
    if (!Target)
        return;
    // A node that takes nothing says so whatever the clipboard holds.
    if (!IsPasteTarget(*Target))
        throw E_QOR_ProgramError(QStringLiteral("Unhandled paste case."));
    // The whole payload is read before the definition is touched: a damaged one changes nothing.
    TQORObject* Selected = PasteElement(*Target, FClipboard->Paste());
    FModified = true;
    UpdateView();
    SelectObjectNode(Selected);
}

void TMain::PopupMenu_ClearClick()
{
    TQORObject* Target = SelectedNodeObject();
    if (!Target)
        return;
    ClearElementList(*Target);
    FModified = true;
    UpdateView();
}
