#include "tools/playcount/CountEditorViewController.h"
#include "ui_CountEditorViewController.h"

CountEditorViewController::CountEditorViewController(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::CountEditorViewController>())
{
    ui->setupUi(this);
    awakeFromNib();
}

CountEditorViewController::~CountEditorViewController() = default;

void CountEditorViewController::awakeFromNib()
{
}
