#include "tools/rating/RatingViewController.h"
#include "ui_RatingViewController.h"

RatingViewController::RatingViewController(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::RatingViewController>())
{
    ui->setupUi(this);
    awakeFromNib();
}

RatingViewController::~RatingViewController() = default;

void RatingViewController::awakeFromNib()
{
}
