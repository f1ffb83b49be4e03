// The element clipboard commands of the main window: Cut, Copy, Paste and Clear on the selected
// node's object. A property node carries its element, so it acts like the element's own node.

#include "forms/ObjectTreeView.h"
#include "foundation/ObjectClipboard.h"
#include "foundation/QORExceptions.h"
#include "model/ElementPaste.h"
#include "ui/MainWindow.h"
#include "ui/PackageTree.h"

void TMain::SelectObjectNode(const TQORObject* Object)
{
    SelectNode(ObjectNode(*FDocument, *FMarkers, Object));
}

void TMain::PopupMenu_CopyClick()
{
    if (const TQORObject* Object = SelectedObject()) {
        FClipboard->Copy(*Object);
        PopupMenuPopup();
    }
}

void TMain::PopupMenu_CutClick()
{
    TQORObject* Object = SelectedObject();
    if (!Object)
        return;
    RunCommand(QStringLiteral("Cut"), [this, Object] {
        FClipboard->Copy(*Object);
        TCommandOutcome Outcome;
        Outcome.Changed = true;
        Outcome.Subject = NodeSubject(Object->TreeNode());
        // Deleting sends the notifications that take the element out of every reference to it.
        if (TQORList* List = Object->Parent()) {
            Outcome.Select = ElementInPlaceOf(*Object);
            List->Delete(Object->GetIndex());
        }
        return Outcome;
    });
    PopupMenuPopup();
}

void TMain::PopupMenu_PasteClick()
{
    TQORObject* Target = SelectedObject();
    if (!Target)
        return;
    // A node that takes nothing says so whatever the clipboard holds.
    if (!IsPasteTarget(*Target))
        throw E_QOR_ProgramError(QStringLiteral("Unhandled paste case."));
    RunCommand(QStringLiteral("Paste"), [this, Target] {
        TCommandOutcome Outcome;
        // The whole payload is read before the definition is touched: a damaged one changes nothing.
        Outcome.Select = PasteElement(*Target, FClipboard->Paste());
        // A whole drivers list: the group stays selected.
        if (!Outcome.Select)
            Outcome.Select = Target;
        Outcome.Changed = true;
        return Outcome;
    });
}

void TMain::PopupMenu_ClearClick()
{
    TQORObject* Target = SelectedObject();
    if (!Target)
        return;
    RunCommand(QStringLiteral("Clear"), [Target] {
        ClearElementList(*Target);
        TCommandOutcome Outcome;
        Outcome.Changed = true;
        Outcome.Select = Target;
        return Outcome;
    });
}
