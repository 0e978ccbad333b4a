#include "tools/modification/ClockFace.h"

#include "app/common/Utils.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
constexpr int secondsPerDay = 24 * 3600;

QTime fromSecondsOfDay(int seconds)
{
    seconds %= secondsPerDay;
    if (seconds < 0)
        seconds += secondsPerDay;
    return QTime(0, 0).addSecs(seconds);
}

int secondsOfDay(const QTime &time)
{
    return QTime(0, 0).secsTo(time);
}
} // namespace

ClockFace::ClockFace(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setToolTip(tr("Drag a hand to set the time; click AM/PM to switch the half of the day."));
}

void ClockFace::setTime(const QTime &time)
{
    if (!time.isValid())
        return;
    const QTime whole(time.hour(), time.minute(), time.second());
    if (whole == m_time)
        return;
    m_time = whole;
    update();
    emit timeChanged(m_time);
}

QTime ClockFace::turnHand(const QTime &current, Hand hand, double degrees)
{
    degrees = std::fmod(degrees, 360.0);
    if (degrees < 0)
        degrees += 360.0;
    const int now = secondsOfDay(current);
    switch (hand) {
    case Hand::Hour: {
        // The hour hand snaps to the nearest hour mark, within the current
        // half of the day; minutes and seconds stay.
        const int hour12 = int(std::lround(degrees / 30.0)) % 12;
        const int hour = hour12 + (current.hour() >= 12 ? 12 : 0);
        return QTime(hour, current.minute(), current.second());
    }
    case Hand::Minute: {
        const int minute = int(std::lround(degrees / 6.0)) % 60;
        int delta = minute - current.minute();
        // Crossing twelve in either direction carries into the hour.
        if (delta < -30)
            delta += 60;
        else if (delta > 30)
            delta -= 60;
        return fromSecondsOfDay(now + delta * 60);
    }
    case Hand::Second: {
        const int second = int(std::lround(degrees / 6.0)) % 60;
        int delta = second - current.second();
        if (delta < -30)
            delta += 60;
        else if (delta > 30)
            delta -= 60;
        return fromSecondsOfDay(now + delta);
    }
    case Hand::None:
        break;
    }
    return current;
}

QPointF ClockFace::centre() const
{
    return QRectF(rect()).center();
}

double ClockFace::radius() const
{
    return std::max(10.0, std::min(width(), height()) / 2.0 - 3.0);
}

QRectF ClockFace::badgeRect() const
{
    const double r = radius();
    const QPointF c = centre();
    return QRectF(c.x() - r * 0.28, c.y() + r * 0.30, r * 0.56, r * 0.26);
}

ClockFace::Hand ClockFace::handForDistance(double distance) const
{
    const double r = radius();
    if (distance > r + 6)
        return Hand::None;
    if (distance < r * 0.5)
        return Hand::Hour;
    if (distance < r * 0.8)
        return Hand::Minute;
    return Hand::Second;
}

double ClockFace::degreesAt(const QPointF &point) const
{
    const QPointF d = point - centre();
    double degrees = std::atan2(d.x(), -d.y()) * 180.0 / M_PI;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

void ClockFace::edit(const QTime &time)
{
    const QTime before = m_time;
    setTime(time);
    if (m_time != before)
        emit timeEdited(m_time);
}

void ClockFace::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPointF p = event->position();
    if (badgeRect().contains(p)) {
        edit(fromSecondsOfDay(secondsOfDay(m_time) + 12 * 3600));
        return;
    }
    const QPointF d = p - centre();
    m_dragged = handForDistance(std::hypot(d.x(), d.y()));
    if (m_dragged != Hand::None)
        edit(turnHand(m_time, m_dragged, degreesAt(p)));
}

void ClockFace::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragged != Hand::None && (event->buttons() & Qt::LeftButton))
        edit(turnHand(m_time, m_dragged, degreesAt(event->position())));
}

void ClockFace::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragged = Hand::None;
    QWidget::mouseReleaseEvent(event);
}

void ClockFace::keyPressEvent(QKeyEvent *event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up: step = 60; break;
    case Qt::Key_Down: step = -60; break;
    case Qt::Key_PageUp: step = 3600; break;
    case Qt::Key_PageDown: step = -3600; break;
    case Qt::Key_Right: step = 1; break;
    case Qt::Key_Left: step = -1; break;
    default: return QWidget::keyPressEvent(event);
    }
    edit(fromSecondsOfDay(secondsOfDay(m_time) + step));
}

void ClockFace::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = centre();
    const double r = radius();
    const QColor ink = Utils::ColorSidebar();

    p.setPen(QPen(hasFocus() ? Utils::ColorPreview() : Utils::ColorBorder(), 2));
    p.setBrush(Qt::white);
    p.drawEllipse(c, r, r);

    for (int i = 0; i < 60; ++i) {
        const double a = i * M_PI / 30.0;
        const bool hourMark = i % 5 == 0;
        const double inner = r * (hourMark ? 0.84 : 0.9);
        p.setPen(QPen(hourMark ? ink : Utils::ColorBorder(), hourMark ? 2 : 1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() + std::sin(a) * inner, c.y() - std::cos(a) * inner),
                   QPointF(c.x() + std::sin(a) * r * 0.95, c.y() - std::cos(a) * r * 0.95));
    }

    QFont numbers = font();
    numbers.setPixelSize(std::max(8, int(r * 0.16)));
    p.setFont(numbers);
    p.setPen(Utils::ColorSecondTitle());
    for (int h = 3; h <= 12; h += 3) {
        const double a = h * M_PI / 6.0;
        const QPointF at(c.x() + std::sin(a) * r * 0.68, c.y() - std::cos(a) * r * 0.68);
        p.drawText(QRectF(at.x() - 12, at.y() - 8, 24, 16), Qt::AlignCenter, QString::number(h));
    }

    QFont badge = font();
    badge.setPixelSize(std::max(8, int(r * 0.15)));
    badge.setBold(true);
    p.setFont(badge);
    p.setPen(Qt::NoPen);
    p.setBrush(Utils::ColorBG());
    p.drawRoundedRect(badgeRect(), 4, 4);
    p.setPen(ink);
    p.drawText(badgeRect(), Qt::AlignCenter, m_time.hour() >= 12 ? QStringLiteral("PM") : QStringLiteral("AM"));

    auto hand = [&](double degrees, double length, double width, const QColor &colour) {
        const double a = degrees * M_PI / 180.0;
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, QPointF(c.x() + std::sin(a) * length, c.y() - std::cos(a) * length));
    };
    const double seconds = m_time.second();
    const double minutes = m_time.minute() + seconds / 60.0;
    const double hours = (m_time.hour() % 12) + minutes / 60.0;
    hand(hours * 30.0, r * 0.45, 4, ink);
    hand(minutes * 6.0, r * 0.72, 3, ink);
    hand(seconds * 6.0, r * 0.86, 1.5, Utils::ColorPreview());
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(c, 3.5, 3.5);
}
