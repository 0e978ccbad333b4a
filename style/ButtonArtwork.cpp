#include "style/ButtonArtwork.h"

#include "app/common/Utils.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>

#include <mutex>

static void registerArtwork()
{
    // The artwork lives in a static library; nothing else refers to its
    // resource table, so the linker would drop it unless it is asked for.
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(resources); });
}

namespace {

const char *const facePainterName = "melvora-button-faces";

// Paints a styled button: its face for the current state, then its label
// through the button's own style so that icon, mnemonic and font stay right.
class ButtonFacePainter : public QObject
{
public:
    ButtonFacePainter(QAbstractButton *button, QImage up, QImage down)
        : QObject(button), up(std::move(up)), down(std::move(down))
    {
        setObjectName(QLatin1String(facePainterName));
    }

    QImage up;
    QImage down;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto *button = static_cast<QAbstractButton *>(watched);
        QPainter painter(button);
        const bool pressed = button->isDown() || button->isChecked();
        const QImage &face = pressed ? down : up;
        if (!button->isEnabled())
            painter.setOpacity(0.55);
        const QSizeF size = face.deviceIndependentSize();
        const QPointF origin((button->width() - size.width()) / 2.0,
                             (button->height() - size.height()) / 2.0);
        painter.drawImage(QRectF(origin, size), face);
        painter.setOpacity(1.0);

        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        option.features = QStyleOptionButton::Flat;
        if (pressed)
            option.state |= QStyle::State_Sunken;
        // The face draws the pressed state; the label keeps its place.
        option.state &= ~QStyle::State_On;
        // Faces have a lip at their foot; the title sits on the face above it.
        option.rect = button->rect().adjusted(0, 0, 0, -1);
        button->style()->drawControl(QStyle::CE_PushButtonLabel, &option, &painter, button);

        // The faces hide the style's own focus frame; keyboard users still
        // need to see where they are.
        if (button->hasFocus() && (option.state & QStyle::State_KeyboardFocusChange)) {
            painter.setRenderHint(QPainter::Antialiasing);
            QColor ring = Utils::ColorPreview();
            ring.setAlphaF(0.8f);
            painter.setPen(QPen(ring, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(origin, size).adjusted(1.5, 1.5, -1.5, -3.5), 3, 3);
        }
        return true;
    }
};

ButtonFacePainter *facePainterOf(const QAbstractButton *button)
{
    if (!button)
        return nullptr;
    return button->findChild<ButtonFacePainter *>(QLatin1String(facePainterName),
                                                  Qt::FindDirectChildrenOnly);
}

QImage renderFace(const QImage &artwork, QSize size, double ratio,
                  const StretchableImage::Insets &insets)
{
    QImage face(size * ratio, QImage::Format_ARGB32_Premultiplied);
    face.setDevicePixelRatio(ratio);
    face.fill(Qt::transparent);
    QPainter painter(&face);
    StretchableImage::drawInRect(painter, artwork, QRectF(QPointF(0, 0), QSizeF(size)), insets);
    return face;
}

} // namespace

ButtonArtwork::ButtonArtwork()
    : buttonNormal(imageNamed(QStringLiteral("button"))),
      buttonDown(imageNamed(QStringLiteral("button_down"))),
      button1Normal(imageNamed(QStringLiteral("button2"))),
      button1Down(imageNamed(QStringLiteral("button2_down")))
{
}

void ButtonArtwork::setButtonStyle(QAbstractButton *button, bool isActionButton)
{
    if (!button)
        return;
    const double ratio = button->devicePixelRatioF();
    const QSize size = button->size();
    tagetImage1 = renderFace(isActionButton ? button1Normal : buttonNormal, size, ratio, insets);
    tagetImage2 = renderFace(isActionButton ? button1Down : buttonDown, size, ratio, insets);

    if (auto *painter = facePainterOf(button)) {
        painter->up = tagetImage1;
        painter->down = tagetImage2;
    } else {
        button->installEventFilter(new ButtonFacePainter(button, tagetImage1, tagetImage2));
    }
    if (auto *push = qobject_cast<QPushButton *>(button))
        push->setFlat(true);
    button->setAutoFillBackground(false);

    QPalette palette = button->palette();
    for (auto role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text}) {
        palette.setColor(QPalette::Active, role, Utils::ColorSidebar());
        palette.setColor(QPalette::Inactive, role, Utils::ColorSidebar());
        palette.setColor(QPalette::Disabled, role, Utils::ColorSecondTitle());
    }
    button->setPalette(palette);
    button->update();
}

QImage ButtonArtwork::imageNamed(const QString &name)
{
    registerArtwork();
    double ratio = 1.0;
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        for (const QScreen *screen : app->screens())
            ratio = std::max(ratio, screen->devicePixelRatio());
    }
    const QString base = QStringLiteral(":/images/") + name;
    if (ratio > 1.0) {
        QImage image(base + QStringLiteral("@2x.png"));
        if (!image.isNull()) {
            image.setDevicePixelRatio(2.0);
            return image;
        }
    }
    return QImage(base + QStringLiteral(".png"));
}

QIcon ButtonArtwork::iconNamed(const QString &name)
{
    registerArtwork();
    // QIcon finds the "@2x" drawing beside the named file by itself.
    return QIcon(QStringLiteral(":/images/") + name + QStringLiteral(".png"));
}

QImage ButtonArtwork::upFace(const QAbstractButton *button)
{
    const auto *painter = facePainterOf(button);
    return painter ? painter->up : QImage();
}

QImage ButtonArtwork::downFace(const QAbstractButton *button)
{
    const auto *painter = facePainterOf(button);
    return painter ? painter->down : QImage();
}
