#pragma once

#include <QWidget>

// A sheet of the background colour laid over a page while the page fades in.
// Over a plain background, a veil going from opaque to clear looks exactly
// like the page going from clear to opaque, without drawing the page and
// every control in it through a graphics effect (effects inside an effect
// are drawn at wrong offsets by the toolkit).
class FadeVeil : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal pageOpacity READ pageOpacity WRITE setPageOpacity)
public:
    // Covers `page` (a sibling of the veil) and follows its geometry.
    explicit FadeVeil(QWidget *page, const QColor &colour);

    qreal pageOpacity() const { return m_pageOpacity; }
    void setPageOpacity(qreal opacity);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_page;
    QColor m_colour;
    qreal m_pageOpacity = 1.0;
};
