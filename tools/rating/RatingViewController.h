#pragma once

#include "tools/counting/CountToolController.h"

#include <memory>

namespace Ui {
class RatingViewController;
}

// The Rating tool: sets the rating of the tracks selected in its list to a
// number of stars, or adds stars to each one's own rating or takes them away
// (held within 0 to 5 stars; a rating between stars keeps its remainder).
class RatingViewController : public CountToolController
{
    Q_OBJECT
public:
    explicit RatingViewController(QWidget *parent = nullptr);
    ~RatingViewController() override;

private:
    std::unique_ptr<Ui::RatingViewController> ui;
};
