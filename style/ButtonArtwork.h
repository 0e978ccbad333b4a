#pragma once

#include "style/StretchableImage.h"

#include <QIcon>
#include <QImage>
#include <QString>

class QAbstractButton;

// The button faces of one tool and the operation that dresses a button in
// them. Each tool holds its own set; all are loaded the same way.
//
// A styled button shows its up face at rest and its pressed face while it is
// held down (or checked); its title is drawn in the sidebar colour in the
// button's own font. The faces are rendered once, at the size the button has
// when it is styled: a later resize keeps them, centred.
class ButtonArtwork
{
public:
    ButtonArtwork();

    QImage buttonNormal;  // "button"
    QImage buttonDown;    // "button_down"
    QImage button1Normal; // "button2" (action button)
    QImage button1Down;   // "button2_down"
    StretchableImage::Insets insets{4.0, 4.0, 7.0, 7.0};
    // The faces rendered by the last setButtonStyle(): up and pressed.
    QImage tagetImage1;
    QImage tagetImage2;

    void setButtonStyle(QAbstractButton *button, bool isActionButton);

    // ":/images/<name>.png" from the program's artwork, the 2x drawing when a
    // screen has a device pixel ratio above 1. Null when there is no such image.
    static QImage imageNamed(const QString &name);
    // Both drawings of an image as one icon, for tab buttons and windows.
    static QIcon iconNamed(const QString &name);

    // The faces a styled button currently shows (null for another button).
    static QImage upFace(const QAbstractButton *button);
    static QImage downFace(const QAbstractButton *button);
};
