#include "style/ToolHeader.h"

#include "app/common/Utils.h"
#include "style/Palette.h"

#include <QLabel>

void dressToolHeader(QWidget *view, QLabel *title, QLabel *separator)
{
    Palette::setBackground(view, Utils::ColorBG());
    separator->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Palette::setBackground(separator, Utils::ColorBorder());
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 1.35);
    font.setBold(true);
    title->setFont(font);
    Palette::setTextColour(title, Utils::ColorSidebar());
}
