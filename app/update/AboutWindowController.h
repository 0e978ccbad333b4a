#pragma once

#include <QWidget>

#include <memory>

class QLabel;
namespace Ui {
class AboutWindowController;
}

// The About window: the program's icon, name and version, and buttons for a
// support mail and the product page. Made once and kept.
class AboutWindowController : public QWidget
{
    Q_OBJECT
public:
    explicit AboutWindowController(QWidget *parent = nullptr);
    ~AboutWindowController() override;

    QLabel *versionLabel() const;

public slots:
    void showWindow();
    void supportJump();
    void siteJump();

private:
    void awakeFromNib();

    std::unique_ptr<Ui::AboutWindowController> ui;
};
