#include "tools/counting/OnlyIntegerValueFormatter.h"

#include <QApplication>
#include <QRegularExpression>

bool OnlyIntegerValueFormatter::isPartialStringValid(const QString &text)
{
    if (text.isEmpty())
        return true;
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    if (!number.match(text).hasMatch())
        return false;
    bool fits = false;
    text.trimmed().toInt(&fits);
    return fits;
}

qint32 OnlyIntegerValueFormatter::intValue(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

QValidator::State OnlyIntegerValueFormatter::validate(QString &input, int &) const
{
    if (isPartialStringValid(input))
        return Acceptable;
    QApplication::beep();
    emit editRefused();
    return Invalid;
}
