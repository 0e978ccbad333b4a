#include "tools/dateadded/DateAddedViewController.h"
#include "ui_DateAddedViewController.h"

DateAddedViewController::DateAddedViewController(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::DateAddedViewController>())
{
    ui->setupUi(this);
    awakeFromNib();
}

DateAddedViewController::~DateAddedViewController() = default;

void DateAddedViewController::awakeFromNib()
{
}
