#include "style/SmallWindow.h"

#include "app/common/Utils.h"
#include "style/ButtonArtwork.h"
#include "style/Palette.h"

#include <QWidget>

void dressSmallWindow(QWidget *window)
{
    window->setAttribute(Qt::WA_QuitOnClose, false);
    Palette::setColour(window, {QPalette::Window}, Utils::ColorBG());
    Palette::setColour(window, {QPalette::WindowText}, Utils::ColorSidebar());
    window->setAutoFillBackground(true);
    window->setWindowIcon(ButtonArtwork::iconNamed(QStringLiteral("appicon")));
}
