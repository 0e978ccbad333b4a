#pragma once

#include <QPixmap>
#include <QWidget>

// The picture shown in place of an empty track list: a dashed drop zone with
// an arrow and a short line telling the user to drag tracks in. It takes no
// mouse or drag events, so drops reach the drop area under it.
class DropHintImage : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)
public:
    explicit DropHintImage(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    // The picture fades by itself rather than through a graphics effect.
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);

    // The picture at the given size, as it is painted.
    static QPixmap render(const QSize &size, const QString &text, qreal devicePixelRatio = 1.0);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QPixmap m_cache;
    qreal m_opacity = 1.0;
};
