#include "tools/playcount/CountEditorViewController.h"
#include "ui_CountEditorViewController.h"

namespace {
// The play-count list; typed numbers are taken as typed.
const CountToolController::Kind kind{3, &playCountPolicy, &TrackObject::plays, std::nullopt};
} // namespace

CountEditorViewController::CountEditorViewController(QWidget *parent)
    : CountToolController(kind, parent), ui(std::make_unique<Ui::CountEditorViewController>())
{
    ui->setupUi(this);
    awakeFromNib(controlsOf(*ui));
}

CountEditorViewController::~CountEditorViewController() = default;
