#include "style/Arrow.h"

#include "app/common/Utils.h"

#include <QPainter>
#include <QPainterPath>

Arrow::Arrow(QWidget *parent) : QWidget(parent)
{
    // Only the triangle is drawn; the sidebar shows through the rest.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(6, 10);
}

QSize Arrow::sizeHint() const { return QSize(6, 10); }

void Arrow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(6, 10);
    path.lineTo(6, 0);
    path.lineTo(0, 5);
    path.closeSubpath();
    painter.fillPath(path, Utils::ColorBG());
}
