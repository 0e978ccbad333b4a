#include "style/Palette.h"

#include <QWidget>

namespace Palette {
void setColour(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles, const QColor &colour)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : roles)
        palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    setColour(widget, {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, colour);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    setColour(widget, {QPalette::Base, QPalette::Window, QPalette::Button}, colour);
    widget->setAutoFillBackground(true);
}
} // namespace Palette
