#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class RatingViewController;
}

// The Rating tool: sets, raises or lowers the ratings of library tracks.
class RatingViewController : public QWidget
{
    Q_OBJECT
public:
    explicit RatingViewController(QWidget *parent = nullptr);
    ~RatingViewController() override;

private:
    void awakeFromNib();

    std::unique_ptr<Ui::RatingViewController> ui;
};
