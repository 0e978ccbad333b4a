#pragma once

#include <QColor>
#include <QWidget>

// A sheet of one colour laid over a widget while the widget fades in or out.
// Over a plain background, a veil going from opaque to clear looks exactly
// like the widget going from clear to opaque, without drawing the widget and
// every control in it through a graphics effect (effects inside an effect
// are drawn at wrong offsets by the toolkit, and effects the widget's owner
// put on its children stay untouched).
class FadeVeil : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal pageOpacity READ pageOpacity WRITE setPageOpacity)
public:
    enum Placement {
        OverSibling,  // the veil is a sibling of the page and follows its geometry
        OverChildren, // the veil is a child of the page, above its other children
    };
    FadeVeil(QWidget *page, const QColor &colour, Placement placement = OverSibling);

    // How much of the page shows through: 1 leaves it uncovered (and the veil
    // hidden), 0 covers it wholly in the veil's colour.
    qreal pageOpacity() const { return m_pageOpacity; }
    void setPageOpacity(qreal opacity);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QRect pageArea() const;

    QWidget *m_page;
    QColor m_colour;
    Placement m_placement;
    qreal m_pageOpacity = 1.0;
};
