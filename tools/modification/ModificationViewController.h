#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class ModificationViewController;
}

// The Date Modified tool: rewrites the modification dates of audio files.
class ModificationViewController : public QWidget
{
    Q_OBJECT
public:
    explicit ModificationViewController(QWidget *parent = nullptr);
    ~ModificationViewController() override;

private:
    void awakeFromNib();

    std::unique_ptr<Ui::ModificationViewController> ui;
};
