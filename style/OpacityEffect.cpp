#include "style/OpacityEffect.h"

#include <QGraphicsOpacityEffect>
#include <QWidget>

QGraphicsOpacityEffect *opacityEffectOf(QWidget *widget)
{
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(widget->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(widget);
        effect->setOpacity(1.0);
        widget->setGraphicsEffect(effect);
    }
    return effect;
}
