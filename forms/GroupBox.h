#pragma once

// A group box holding rows of its own, laid out inside it like a small automatic form.

#include "forms/AutoFormControl.h"
#include "forms/QORForms.h"

#include <QGroupBox>
#include <QString>

#include <cstdint>

// A group box with rows of its own, laid out inside it.
class TContainerGroupBox : public QGroupBox, public IAutoFormControl, public ITabOrderContainer
{
    Q_OBJECT
public:
    explicit TContainerGroupBox(QWidget* Owner = nullptr);

    TQORAutoFormItems& Items() { return FItems; }
    const TQORAutoFormItems& ContainedItems() const override { return FItems; }
    int32_t MinLabelWidth = 0;
    int32_t MinControlWidth = 0;

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    void UndoDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override;
    bool CanStretchVertically() override { return false; }
    int GetLeftIndent() override { return 0; }
    int GetExtraSpacing() override { return 0; }
    void ArrangeContents(const TCanvas& Canvas) override;

private:
    struct TContents
    {
        int Width = 0;
        int Height = 0;
        int LabelColumn = 0;
        bool AnyLabelled = false;
    };
    TContents Measure(const TCanvas& Canvas);
    int CaptionBand() const;

    TQORAutoFormItems FItems;
};

TContainerGroupBox*
CreateContainerGroupBox(QWidget* Owner, const QString& GroupCaption, int32_t MinLabelWidth, int32_t MinControlWidth);

// Creates a group box and adds it as a row without label.
TContainerGroupBox* AddGroup(TQORAutoFormItems& Items,
                             QWidget* Owner,
                             const QString& GroupCaption,
                             int32_t MinLabelWidth,
                             int32_t MinControlWidth);

// Creates a group box and adds it as a labelled row.
TContainerGroupBox* AddGroupItem(TQORAutoFormItems& Items,
                                 QWidget* Owner,
                                 const QString& RowCaption,
                                 const QString& GroupCaption,
                                 int32_t MinLabelWidth,
                                 int32_t MinControlWidth);
