#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class DateAddedViewController;
}

// The Date Added tool: hands files to the library one second apart, in album order.
class DateAddedViewController : public QWidget
{
    Q_OBJECT
public:
    explicit DateAddedViewController(QWidget *parent = nullptr);
    ~DateAddedViewController() override;

private:
    void awakeFromNib();

    std::unique_ptr<Ui::DateAddedViewController> ui;
};
