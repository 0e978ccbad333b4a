#pragma once

#include "app/common/UrlRequest.h"

#include <QMessageBox>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>

#include <memory>

class QProgressBar;
namespace Ui {
class UpdateWindowController;
}

// The update check's window: shows "checking" while it asks the maker's web
// service for the current version, then an alert over itself that either
// offers the product page (another version is out) or says the program is up
// to date. The answer is judged off the main thread; only the verdict comes
// back. The window is made once and reused by every check.
class UpdateWindowController : public QWidget
{
    Q_OBJECT
public:
    explicit UpdateWindowController(QWidget *parent = nullptr);
    ~UpdateWindowController() override;

    QWidget *checkingView() const;
    QProgressBar *progress() const;
    // The result alert while it is up, else null.
    QMessageBox *alert() const { return m_alert; }

    // Where the service lives; an absolute address ending in "/".
    void setServiceBaseUrl(const QString &url) { m_baseUrl = url; }
    QString serviceBaseUrl() const { return m_baseUrl; }
    void setRequestTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // The version question: POST base + "api/version.php" with the fixed form.
    static UrlRequest versionRequest(const QString &baseUrl);
    // What an answer says: a new version, this version, or nothing (no
    // answer, an error status, an empty or cut-off answer). The body, trimmed
    // of white space, is compared whole with our version.
    enum class Verdict { NewVersion, Latest, Unknown };
    static Verdict verdictOf(const UrlResponse &response, const QByteArray &data, const QString &error,
                             const QString &ownVersion);

    static constexpr int firstButtonReturn = 1000;
    static constexpr int secondButtonReturn = 1001;

public slots:
    // Shows the window and starts a check; a check still under way is dropped.
    void showWindow();
    // End of the result alert: "Yes" (1000 on the new-version alert) opens the
    // product page; the window closes in every case.
    void alertDidEnd(QMessageBox *alert, int returnCode);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void awakeFromNib();
    void showResult(quint64 check, Verdict verdict);
    void dropPendingCheck();
    void dismissAlert();

    std::unique_ptr<Ui::UpdateWindowController> ui;
    QString m_baseUrl;
    int m_timeoutMs = 20000;
    // Each check runs here; the pool is waited for when the window goes, so
    // no request outlives the program.
    QThreadPool m_queue;
    std::shared_ptr<std::atomic_bool> m_cancel;
    quint64 m_check = 0;
    QPointer<QMessageBox> m_alert;
    bool m_alertOffersUpgrade = false;
};
