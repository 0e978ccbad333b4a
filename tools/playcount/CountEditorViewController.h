#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class CountEditorViewController;
}

// The Play Count tool: sets, raises or lowers the play counts of library tracks.
class CountEditorViewController : public QWidget
{
    Q_OBJECT
public:
    explicit CountEditorViewController(QWidget *parent = nullptr);
    ~CountEditorViewController() override;

private:
    void awakeFromNib();

    std::unique_ptr<Ui::CountEditorViewController> ui;
};
