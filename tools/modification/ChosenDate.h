#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// The moment the user chooses for Set Modification Date, free of the controls
// that show it: a day, a time of day, and the moment they compose, which is
// what a run writes. Every change recomposes the moment; a day and time that
// compose to no valid moment keep the previous one.
class ChosenDate
{
public:
    QDate day() const { return m_day; }
    QTime time() const { return m_time; }
    QDateTime moment() const { return m_moment; }

    // All three at exactly this moment, fraction of a second included, so
    // that a run started at once writes exactly the moment of entering.
    void enter(const QDateTime &now);
    void setDay(const QDate &day);
    void setTime(const QTime &time);
    // Day and time of another moment (the date of another file), in local time.
    void setDayAndTime(const QDateTime &moment);

    void toToday() { setDay(QDate::currentDate()); }
    void toNow() { setTime(QTime::currentTime()); }
    void toFullHour();
    void toFullMinute();

private:
    void recompose();

    QDate m_day;
    QTime m_time;
    QDateTime m_moment;
};
