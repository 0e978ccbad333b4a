#pragma once

class QGraphicsOpacityEffect;
class QWidget;

// The widget's opacity effect, made (fully opaque) on first use, so that fades
// can animate its opacity.
QGraphicsOpacityEffect *opacityEffectOf(QWidget *widget);
