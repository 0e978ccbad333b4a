#include "tracks/lists/DropHintImage.h"

#include "app/common/Utils.h"

#include <QPainter>
#include <QPainterPath>

DropHintImage::DropHintImage(QWidget *parent)
    : QWidget(parent), m_text(tr("Drag tracks here from iTunes"))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAcceptDrops(false);
}

void DropHintImage::setText(const QString &text)
{
    m_text = text;
    m_cache = QPixmap();
    update();
}

void DropHintImage::setOpacity(qreal opacity)
{
    m_opacity = std::clamp(opacity, 0.0, 1.0);
    update();
}

QPixmap DropHintImage::render(const QSize &size, const QString &text, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    if (size.width() < 40 || size.height() < 40)
        return pixmap;

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF zone = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(18, 18, -18, -18);
    QPen dash(Utils::ColorBorder().darker(115), 2, Qt::DashLine, Qt::RoundCap);
    dash.setDashPattern({5, 4});
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(zone, 12, 12);

    const QColor ink = Utils::ColorSecondTitle();
    const double unit = std::clamp(std::min(zone.width(), zone.height()) / 8.0, 10.0, 22.0);
    const QPointF c(zone.center().x(), zone.center().y() - unit * 0.9);

    // A tray with an arrow pointing into it.
    QPainterPath tray;
    tray.moveTo(c.x() - unit * 1.6, c.y() + unit * 0.3);
    tray.lineTo(c.x() - unit * 1.6, c.y() + unit * 1.1);
    tray.lineTo(c.x() + unit * 1.6, c.y() + unit * 1.1);
    tray.lineTo(c.x() + unit * 1.6, c.y() + unit * 0.3);
    p.setPen(QPen(ink, unit * 0.18, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tray);
    p.drawLine(QPointF(c.x(), c.y() - unit * 1.4), QPointF(c.x(), c.y() + unit * 0.5));
    QPainterPath head;
    head.moveTo(c.x() - unit * 0.6, c.y() - unit * 0.1);
    head.lineTo(c.x(), c.y() + unit * 0.55);
    head.lineTo(c.x() + unit * 0.6, c.y() - unit * 0.1);
    p.drawPath(head);

    QFont font;
    font.setPixelSize(int(unit * 0.75) + 4);
    p.setFont(font);
    p.setPen(ink);
    const QRectF caption(zone.left() + 8, c.y() + unit * 1.6, zone.width() - 16, unit * 2);
    p.drawText(caption, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
    return pixmap;
}

void DropHintImage::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_cache.isNull() || m_cache.deviceIndependentSize().toSize() != size() || m_cache.devicePixelRatio() != ratio)
        m_cache = render(size(), m_text, ratio);
    if (m_opacity <= 0.0)
        return;
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    painter.drawPixmap(0, 0, m_cache);
}
