#include "tools/rating/RatingViewController.h"
#include "ui_RatingViewController.h"

namespace {
// The rating list; a typed number of 6 stars or more becomes 5.
const CountToolController::Kind kind{4, &ratingPolicy, &TrackObject::rating, 5};
} // namespace

RatingViewController::RatingViewController(QWidget *parent)
    : CountToolController(kind, parent), ui(std::make_unique<Ui::RatingViewController>())
{
    ui->setupUi(this);
    awakeFromNib(controlsOf(*ui));
}

RatingViewController::~RatingViewController() = default;
