#pragma once

#include <QValidator>

// The input rule of the number fields of the Play Count and Rating tools: a
// field may be empty, or hold one whole number that fits in 32 bits (an
// optional sign, then digits), with white space allowed around it. Any other
// edit is refused, so the field keeps its previous text, and the system beep
// sounds. One instance serves several fields.
class OnlyIntegerValueFormatter : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override;

    // Whether the text obeys the rule.
    static bool isPartialStringValid(const QString &text);
    // The number a valid text holds; 0 for an empty one.
    static qint32 intValue(const QString &text);

signals:
    // An edit was refused (the beep has sounded).
    void editRefused() const;
};
