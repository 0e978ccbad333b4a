#include "tools/dateadded/HandOverReport.h"

#include "app/common/FileNames.h"
#include "tracks/runs/HandOverRun.h"

#include <QMessageBox>

namespace {
// Lines that fit on a screen beside the message's other text.
constexpr int shownFiles = 15;

} // namespace

QMessageBox *handOverReport(const QList<QUrl> &handed, const QList<HandOver::Miss> &misses, QWidget *window)
{
    QStringList lines;
    for (qsizetype k = 0; k < handed.size() && k < misses.size(); ++k)
        if (misses.at(k) != HandOver::Miss::None)
            lines.append(QStringLiteral("%1 — %2").arg(FileNames::shownName(handed.at(k)),
                                                       HandOverRun::describe(misses.at(k))));
    if (lines.isEmpty())
        return nullptr;
    const qsizetype more = lines.size() - shownFiles;
    if (more > 0) {
        lines = lines.mid(0, shownFiles);
        lines.append(QMessageBox::tr("and %1 more").arg(more));
    }
    const qsizetype missed = more > 0 ? shownFiles + more : lines.size();
    const QString text = missed == 1 ? QMessageBox::tr("1 file did not get a new Date Added in the chosen order:")
                                     : QMessageBox::tr("%1 files did not get a new Date Added in the chosen order:").arg(missed);
    auto *report = new QMessageBox(QMessageBox::Warning, QString(), text, QMessageBox::NoButton, window);
    report->setObjectName(QStringLiteral("handOverReport"));
    report->setInformativeText(lines.join(QLatin1Char('\n')));
    report->addButton(QMessageBox::tr("OK"), QMessageBox::AcceptRole);
    report->setWindowModality(Qt::WindowModal);
    report->setAttribute(Qt::WA_DeleteOnClose);
    return report;
}
