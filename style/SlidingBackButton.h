#pragma once

#include <QObject>

class QPushButton;
class QWidget;

// A back button kept outside its header's layout, so that it can slide in
// from beyond the left edge while it fades in, and slide out again. It sits
// above the header (which would otherwise take its clicks), centred in the
// header's height, and follows the header's resizes.
class SlidingBackButton : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int leftMargin READ leftMargin WRITE setLeftMargin)
public:
    // Starts hidden, at the hidden margin.
    SlidingBackButton(QPushButton *button, QWidget *header);

    int leftMargin() const { return m_leftMargin; }
    void setLeftMargin(int margin);
    // The margin that puts the button out of sight beyond the left edge.
    int hiddenMargin() const;

    // Slides in and fades in (true), or slides out, fades out and hides.
    void showOrHide(bool show);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *m_button;
    QWidget *m_header;
    int m_leftMargin = 0;
};
