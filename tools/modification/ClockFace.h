#pragma once

#include <QTime>
#include <QWidget>

// An analogue clock that shows a time of day and lets the user set it by
// dragging or clicking its hands: the inner ring moves the hour hand, the
// middle ring the minute hand, the outer ring the second hand. Turning the
// minute or second hand past twelve carries into the hour or minute, as on a
// real clock; the AM/PM badge switches between the two halves of the day.
class ClockFace : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QTime time READ time WRITE setTime NOTIFY timeChanged USER true)
public:
    enum class Hand { None, Hour, Minute, Second };

    explicit ClockFace(QWidget *parent = nullptr);

    QTime time() const { return m_time; }
    void setTime(const QTime &time);

    QSize sizeHint() const override { return {132, 132}; }
    QSize minimumSizeHint() const override { return {96, 96}; }

    // The time after `hand` is turned to point at `degrees` (clockwise from
    // twelve), starting from `current`.
    static QTime turnHand(const QTime &current, Hand hand, double degrees);

signals:
    void timeChanged(const QTime &time); // every change
    void timeEdited(const QTime &time);  // changes made by the user only

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointF centre() const;
    double radius() const;
    QRectF badgeRect() const;
    Hand handForDistance(double distance) const;
    double degreesAt(const QPointF &point) const;
    void edit(const QTime &time);

    QTime m_time{0, 0, 0};
    Hand m_dragged = Hand::None;
};
