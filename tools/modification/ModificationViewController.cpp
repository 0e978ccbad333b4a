#include "ModificationViewController.h"
#include "ui_ModificationViewController.h"

ModificationViewController::ModificationViewController(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::ModificationViewController>())
{
    ui->setupUi(this);
    awakeFromNib();
}

ModificationViewController::~ModificationViewController() = default;

void ModificationViewController::awakeFromNib()
{
}
