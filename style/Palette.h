#pragma once

#include <QColor>
#include <QPalette>

#include <initializer_list>

class QWidget;

// Puts palette colours on widgets: the few colour roles our own controls
// take from the palette rather than from artwork.
namespace Palette {
// The given roles of the widget's palette take the colour.
void setColour(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles, const QColor &colour);
// Labels, fields and buttons draw their text in the colour.
void setTextColour(QWidget *widget, const QColor &colour);
// The widget fills its background with the colour (fields and buttons too).
void setBackground(QWidget *widget, const QColor &colour);
} // namespace Palette
