#pragma once

#include <QWidget>

// The small triangle beside the selected tab, pointing left, in the colour of
// the content area: it makes the content seem to reach into the dark sidebar.
class Arrow : public QWidget
{
    Q_OBJECT
public:
    explicit Arrow(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
