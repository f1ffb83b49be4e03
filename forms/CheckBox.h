#pragma once

// The check box bound to a boolean field; a left-justified caption reads like a row label.

#include "forms/BoundControl.h"

#include <QCheckBox>
#include <QString>

class TBooleanCheckBox : public QCheckBox, public TBoundControl, public ICaptionColumn
{
    Q_OBJECT
public:
    explicit TBooleanCheckBox(QWidget* Owner = nullptr);

    bool DefaultValue = false;
    TBinding<bool> Variable;

    bool Value() const { return isChecked(); }
    void SetValue(bool Value) { setChecked(Value); }
    // AllowBlank makes the grey third state available.
    void SetAllowBlank(bool Allow);
    QString Caption() const { return text(); }
    void SetCaption(const QString& Caption) { setText(Caption); }
    TAlignment Alignment() const { return FAlignment; }
    // Left-justified: the caption stands left of the box, reading like a row label.
    void SetAlignment(TAlignment Alignment);

    void StoreValue() override;
    void LoadValue() override;
    void SetDefault() override;
    bool Validate() override;
    int GetPreferredWidth(const TCanvas& Canvas) override;
    int GetPreferredHeight(const TCanvas& Canvas) override { return height(); }
    // Only a left-justified caption stands left of the box.
    int GetCaptionWidth() override;
    void SetCaptionColumn(int Offset) override;

protected:
    void paintEvent(QPaintEvent* Event) override;
    bool hitButton(const QPoint& Position) const override;

private:
    QRect CaptionRect() const;
    int CaptionOffset() const;
    QRect IndicatorRect() const;

    TAlignment FAlignment = taRightJustify;
    int FCaptionColumn = 0;
};

// A left-justified non-empty caption gets ":" appended. The control does not allow blank.
TBooleanCheckBox* CreateBooleanCheckBox(QWidget* Owner,
                                        const QString& Caption,
                                        TBinding<bool> Variable,
                                        const QString& ValueName,
                                        TAlignment Alignment,
                                        bool UseDefault = false,
                                        bool DefaultValue = false,
                                        int Height = 18);
