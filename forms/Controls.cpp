#include "forms/Controls.h"

#include "forms/QORApplication.h"
#include "forms/QORForms.h"

#include <QLabel>
#include <QPushButton>

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
