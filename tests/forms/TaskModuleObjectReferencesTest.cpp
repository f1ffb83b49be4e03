#include "FormTestSupport.h"
#include "forms/Controls.h"
#include "forms/dialogs/TaskModuleObjectDialog.h"
#include "model/Data.h"
#include "samples/SampleDefinitions.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using SampleDefinitions::AddElement;

// Every task module of the package has the null ID, as new modules do.
class TaskModuleObjectReferences : public FormTest
{
protected:
    void SetUp() override
    {
        auto* Module = AddElement<TCodeModule>(Package.CodeModules);
        Alpha = AddObject(*Module, "Alpha", {tmtTaskModuleConfigurator, tmtTaskModuleConfigurator});
        Beta = AddObject(*Module, "Beta", {tmtTaskModuleConfigurator});
        Edited = AddObject(*Module, "Edited", {tmtTaskModuleConfigurator, tmtTaskModuleCommandEditor});
    }

    static TTaskModuleObject*
    AddObject(TCodeModule& Module, const char* Name, std::initializer_list<TTaskModuleType> Types)
    {
        auto* Object = AddElement<TTaskModuleObject>(Module.TaskModuleObjects);
        Object->Name = QString::fromLatin1(Name);
        for (TTaskModuleType Type : Types)
            AddElement<TTaskModule>(Object->TaskModules)->Type = Type;
        return Object;
    }

    struct TShown
    {
        QStringList Entries;
        int Selected = -1;
    };

    static TShown Shown(const TAutoComboBox* List)
    {
        TShown Result;
        for (int I = 0; I < List->count(); ++I)
            Result.Entries.append(List->itemText(I));
        Result.Selected = List->currentIndex();
        return Result;
    }

    // Opens the dialog on Edited, notes what the lists show, lets Change act on them and clicks OK.
    void EditWith(const std::function<void(TTaskModuleObjectDialog&)>& Change = {})
    {
        TTaskModuleObjectDialog Dialog(nullptr, &Package);
        Dialog.SetValueReference(Edited);
        WhenModal([&](QWidget*) {
            Configurators = Shown(Dialog.ConfiguratorList());
            CommandEditors = Shown(Dialog.CommandEditorList());
            if (Change)
                Change(Dialog);
            QTest::mouseClick(Dialog.OKButton(), Qt::LeftButton);
        });
        EXPECT_TRUE(Dialog.Execute());
        Dialog.SetValueReference(nullptr);
    }

    TData Package;
    TTaskModuleObject* Alpha = nullptr;
    TTaskModuleObject* Beta = nullptr;
    TTaskModuleObject* Edited = nullptr;
    TShown Configurators;
    TShown CommandEditors;
};

// Among modules of one ID the list selects the very module referred to, and a reference the lists
// do not offer (here a configurator as command editor) gets an entry of its own; an untouched OK
// keeps both.
TEST_F(TaskModuleObjectReferences, UntouchedOKKeepsWhatTheObjectReferredTo)
{
    TTaskModule* First = Alpha->TaskModules.Items(0);
    TTaskModule* WrongType = Beta->TaskModules.Items(0);
    Edited->Configurator = First;
    Edited->CommandEditor = WrongType;

    EditWith();

    EXPECT_EQ(Configurators.Entries, QStringList({"None", "Alpha", "Alpha", "Beta"}));
    EXPECT_EQ(Configurators.Selected, 1);
    EXPECT_EQ(CommandEditors.Entries, QStringList({"None", "Beta"}));
    EXPECT_EQ(CommandEditors.Selected, 1);
    EXPECT_EQ(Edited->Configurator, First);
    EXPECT_EQ(Edited->CommandEditor, WrongType);
    EXPECT_TRUE(MessageTexts().isEmpty());
}

// The object's own module stays its configurator through OK; "None" or another entry replaces it.
TEST_F(TaskModuleObjectReferences, OwnModuleIsKeptUntilTheUserChoosesOtherwise)
{
    TTaskModule* Own = Edited->TaskModules.Items(0);
    TTaskModule* OwnEditor = Edited->TaskModules.Items(1);
    Edited->Configurator = Own;
    Edited->CommandEditor = OwnEditor;

    EditWith();
    EXPECT_EQ(Configurators.Entries, QStringList({"None", "Alpha", "Alpha", "Beta", "Edited"}));
    EXPECT_EQ(Configurators.Selected, 4);
    EXPECT_EQ(CommandEditors.Entries, QStringList({"None", "Edited"}));
    EXPECT_EQ(CommandEditors.Selected, 1);
    ASSERT_EQ(Edited->TaskModules.Items(0), Own);
    EXPECT_EQ(Edited->Configurator, Own);
    EXPECT_EQ(Edited->CommandEditor, OwnEditor);

    EditWith([](TTaskModuleObjectDialog& Dialog) {
        Dialog.ConfiguratorList()->setCurrentIndex(2);
        Dialog.CommandEditorList()->setCurrentIndex(0);
    });
    EXPECT_EQ(Edited->Configurator, Alpha->TaskModules.Items(1));
    EXPECT_EQ(Edited->CommandEditor, nullptr);

    // Once replaced, the own module is no longer offered.
    EditWith();
    EXPECT_EQ(Configurators.Entries, QStringList({"None", "Alpha", "Alpha", "Beta"}));
    EXPECT_EQ(Configurators.Selected, 2);
    EXPECT_EQ(CommandEditors.Entries, QStringList({"None"}));
    EXPECT_EQ(CommandEditors.Selected, 0);
}

} // namespace
