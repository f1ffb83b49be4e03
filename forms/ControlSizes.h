#pragma once

// How the value controls size themselves when they are created.

#include <QWidget>

inline int EditHeight(QWidget* Control)
{
    return Control->sizeHint().height();
}

// Qt sizes a fresh child 100 x 30; controls start at the height their style wants.
inline void SetInitialHeight(QWidget* Control, int Height)
{
    Control->resize(Control->width(), Height);
}
