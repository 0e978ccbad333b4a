#include "app/update/AboutWindowController.h"
#include "ui_AboutWindowController.h"

#include "app/common/Endpoints.h"
#include "app/common/Utils.h"
#include "style/ButtonArtwork.h"
#include "style/CannotOpen.h"
#include "style/SmallWindow.h"

#include <QScreen>

AboutWindowController::AboutWindowController(QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::AboutWindowController>())
{
    ui->setupUi(this);
    awakeFromNib();
}

AboutWindowController::~AboutWindowController() = default;

QLabel *AboutWindowController::versionLabel() const { return ui->versionLabel; }

void AboutWindowController::awakeFromNib()
{
    dressSmallWindow(this);
    ui->iconLabel->setPixmap(windowIcon().pixmap(96, 96));
    QFont name = ui->nameLabel->font();
    name.setBold(true);
    name.setPointSizeF(name.pointSizeF() * 1.35);
    ui->nameLabel->setFont(name);
    QPalette quiet = ui->descriptionLabel->palette();
    quiet.setColor(QPalette::WindowText, Utils::ColorSecondTitle().darker(125));
    ui->descriptionLabel->setPalette(quiet);

    ui->versionLabel->setText(QStringLiteral("Version: %1").arg(Utils::getVersionNumber()));

    ButtonArtwork artwork;
    artwork.setButtonStyle(ui->supportButton, false);
    artwork.setButtonStyle(ui->siteButton, false);
    connect(ui->supportButton, &QPushButton::clicked, this, &AboutWindowController::supportJump);
    connect(ui->siteButton, &QPushButton::clicked, this, &AboutWindowController::siteJump);

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void AboutWindowController::showWindow()
{
    show();
    raise();
    activateWindow();
}

void AboutWindowController::supportJump()
{
    mailOrTell(this, Endpoints::supportAddress(), QStringLiteral("Support"));
}

void AboutWindowController::siteJump()
{
    browseOrTell(this, Endpoints::productPage());
}
