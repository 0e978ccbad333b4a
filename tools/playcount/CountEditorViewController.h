#pragma once

#include "tools/counting/CountToolController.h"

#include <memory>

namespace Ui {
class CountEditorViewController;
}

// The Play Count tool: sets the play count of the tracks selected in its list
// to a number, or adds an amount to each one's own count or subtracts it
// (never below 0).
class CountEditorViewController : public CountToolController
{
    Q_OBJECT
public:
    explicit CountEditorViewController(QWidget *parent = nullptr);
    ~CountEditorViewController() override;

private:
    std::unique_ptr<Ui::CountEditorViewController> ui;
};
