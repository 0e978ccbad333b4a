#include "style/CannotOpen.h"

#include "app/common/Utils.h"

#include <QLabel>
#include <QMessageBox>

void tellCannotOpen(QWidget *window, const QString &what)
{
    auto *box = new QMessageBox(QMessageBox::Information, QString(),
                                QMessageBox::tr("No mail program or web browser could be opened. You can copy the "
                                                "address from here:"),
                                QMessageBox::Ok, window);
    box->setObjectName(QStringLiteral("cannotOpenAlert"));
    box->setInformativeText(what);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void mailOrTell(QWidget *window, const QString &address, const QString &subject)
{
    if (!Utils::sendEmailWithMail(QStringLiteral("Your email address"), address, subject, QString()))
        tellCannotOpen(window, QMessageBox::tr("To: %1\nSubject: %2").arg(address, subject));
}

void browseOrTell(QWidget *window, const QString &url)
{
    if (!Utils::jumpToURL(url))
        tellCannotOpen(window, url);
}
