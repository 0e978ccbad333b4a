#include "tracks/runs/HandOverPreview.h"

#include "tracks/runs/HandOver.h"

#include <QCoreApplication>

namespace HandOverPreview {

QString placeText(int place)
{
    // English ordinals: 11th to 13th in every hundred, else by the last digit.
    const int lastTwo = place % 100;
    const int last = place % 10;
    const char *form = QT_TRANSLATE_NOOP("HandOverPreview", "handed over %1th");
    if (lastTwo < 11 || lastTwo > 13) {
        if (last == 1)
            form = QT_TRANSLATE_NOOP("HandOverPreview", "handed over %1st");
        else if (last == 2)
            form = QT_TRANSLATE_NOOP("HandOverPreview", "handed over %1nd");
        else if (last == 3)
            form = QT_TRANSLATE_NOOP("HandOverPreview", "handed over %1rd");
    }
    return QCoreApplication::translate("HandOverPreview", form).arg(place);
}

QList<QVariant> places(int count, bool firstToLast)
{
    const QList<int> order = HandOver::order(count, firstToLast);
    QList<QVariant> shown(order.size());
    for (qsizetype k = 0; k < order.size(); ++k)
        shown[order.at(k)] = placeText(int(k) + 1);
    return shown;
}

} // namespace HandOverPreview
