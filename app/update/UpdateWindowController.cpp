#include "app/update/UpdateWindowController.h"
#include "ui_UpdateWindowController.h"

#include "app/common/Endpoints.h"
#include "app/common/SystemLog.h"
#include "app/common/Utils.h"
#include "style/ButtonArtwork.h"
#include "style/CannotOpen.h"
#include "style/Palette.h"
#include "style/SmallWindow.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

UpdateWindowController::UpdateWindowController(QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::UpdateWindowController>()),
      m_baseUrl(Endpoints::serviceBaseUrl())
{
    ui->setupUi(this);
    awakeFromNib();
}

UpdateWindowController::~UpdateWindowController()
{
    dropPendingCheck();
    m_queue.waitForDone();
}

QWidget *UpdateWindowController::checkingView() const { return ui->checkingView; }

QProgressBar *UpdateWindowController::progress() const { return ui->progress; }

void UpdateWindowController::awakeFromNib()
{
    dressSmallWindow(this);
    ui->iconLabel->setPixmap(windowIcon().pixmap(64, 64));
    QFont font = ui->checkingLabel->font();
    font.setBold(true);
    ui->checkingLabel->setFont(font);
    QPalette bar = ui->progress->palette();
    bar.setColor(QPalette::Highlight, Utils::ColorPreview());
    bar.setColor(QPalette::Base, Utils::ColorTab());
    ui->progress->setPalette(bar);
    m_queue.setMaxThreadCount(2);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

UrlRequest UpdateWindowController::versionRequest(const QString &baseUrl)
{
    UrlRequest request;
    request.url = QUrl(baseUrl + QStringLiteral("api/version.php"));
    request.method = "POST";
    request.headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
    request.body = QStringLiteral("key=quorvantel&product=melvora").toUtf8();
    request.maxBytes = 64 * 1024;
    return request;
}

UpdateWindowController::Verdict UpdateWindowController::verdictOf(const UrlResponse &response, const QByteArray &data,
                                                                  const QString &error, const QString &ownVersion)
{
    if (!error.isEmpty() || data.isEmpty() || response.statusCode >= 400)
        return Verdict::Unknown;
    const QString answer = QString::fromUtf8(data).trimmed();
    if (answer.isEmpty())
        return Verdict::Unknown;
    return answer != ownVersion ? Verdict::NewVersion : Verdict::Latest;
}

void UpdateWindowController::showWindow()
{
    dismissAlert();
    dropPendingCheck();
    show();
    raise();
    activateWindow();
    ui->progress->setRange(0, 0);

    UrlRequest request = versionRequest(m_baseUrl);
    request.timeoutMs = m_timeoutMs;
    m_cancel = std::make_shared<std::atomic_bool>(false);
    request.cancelled = m_cancel;
    const quint64 check = ++m_check;
    const QPointer<UpdateWindowController> self(this);
    const QString ownVersion = Utils::getVersionNumber();
    sendAsynchronousRequest(
        request, &m_queue,
        [self, check, ownVersion](const UrlResponse &response, const QByteArray &data,
                                  const QString &error) {
            if (error.isEmpty() && !data.isEmpty() && response.statusCode < 400)
                systemLog(QStringLiteral("res:") + QString::fromUtf8(data));
            const Verdict verdict = verdictOf(response, data, error, ownVersion);
            // Only the verdict crosses to the main thread.
            QMetaObject::invokeMethod(
                qApp,
                [self, check, verdict] {
                    if (self)
                        self->showResult(check, verdict);
                },
                Qt::QueuedConnection);
        });
}

void UpdateWindowController::showResult(quint64 check, Verdict verdict)
{
    const bool newVersion = verdict == Verdict::NewVersion;
    // A newer check replaced this one, or the user closed the window.
    if (check != m_check || !isVisible())
        return;
    m_cancel.reset();

    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Information);
    Palette::setColour(box, {QPalette::Window}, Utils::ColorBG());
    Palette::setColour(box, {QPalette::WindowText, QPalette::ButtonText}, Utils::ColorSidebar());
    Palette::setColour(box, {QPalette::Button}, Utils::ColorTab());
    Palette::setColour(box, {QPalette::Highlight}, Utils::ColorPreview());
    box->setIconPixmap(ButtonArtwork::iconNamed(QStringLiteral("appicon")).pixmap(64, 64));
    QList<QAbstractButton *> order;
    if (newVersion) {
        box->setText(tr("There is a new version available.  Would you like to upgrade now?"));
        QPushButton *yes = box->addButton(tr("Yes"), QMessageBox::AcceptRole);
        QPushButton *no = box->addButton(tr("No"), QMessageBox::RejectRole);
        box->setDefaultButton(yes);
        box->setEscapeButton(no);
        order = {yes, no};
    } else {
        // Without an answer nothing is known: saying "latest" would be a guess.
        box->setText(verdict == Verdict::Latest ? tr("You are using the latest version!")
                                                : tr("The check for a new version could not be made. Please try again later."));
        order = {box->addButton(QMessageBox::Ok)};
    }
    m_alert = box;
    m_alertOffersUpgrade = newVersion;
    connect(box, &QMessageBox::finished, this, [this, box, order] {
        const int index = int(order.indexOf(box->clickedButton()));
        // Closing the alert without a button counts as its last button.
        const int code = firstButtonReturn + (index < 0 ? int(order.size()) - 1 : index);
        alertDidEnd(box, code);
    });
    box->open();
}

void UpdateWindowController::alertDidEnd(QMessageBox *alert, int returnCode)
{
    const bool offered = alert == m_alert ? m_alertOffersUpgrade : false;
    m_alert = nullptr;
    if (returnCode == firstButtonReturn && offered)
        browseOrTell(nullptr, Endpoints::productPage()); // this window closes now
    close();
}

void UpdateWindowController::closeEvent(QCloseEvent *event)
{
    dropPendingCheck();
    QWidget::closeEvent(event);
}

void UpdateWindowController::dropPendingCheck()
{
    ++m_check;
    if (m_cancel)
        m_cancel->store(true);
    m_cancel.reset();
}

void UpdateWindowController::dismissAlert()
{
    if (!m_alert)
        return;
    QMessageBox *box = m_alert;
    m_alert = nullptr;
    box->disconnect(this);
    box->close();
}
