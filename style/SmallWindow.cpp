#include "style/SmallWindow.h"

#include "style/ButtonArtwork.h"
#include "app/common/Utils.h"

#include <QWidget>

void dressSmallWindow(QWidget *window)
{
    window->setAttribute(Qt::WA_QuitOnClose, false);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Utils::ColorBG());
    palette.setColor(QPalette::WindowText, Utils::ColorSidebar());
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setWindowIcon(ButtonArtwork::iconNamed(QStringLiteral("appicon")));
}
