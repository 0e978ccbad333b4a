#include "tools/modification/ChosenDate.h"

#include "tracks/runs/ModificationDates.h"

void ChosenDate::enter(const QDateTime &now)
{
    m_day = now.date();
    m_time = now.time();
    m_moment = now;
}

void ChosenDate::setDay(const QDate &day)
{
    m_day = day;
    recompose();
}

void ChosenDate::setTime(const QTime &time)
{
    m_time = time;
    recompose();
}

void ChosenDate::setDayAndTime(const QDateTime &moment)
{
    const QDateTime local = moment.toLocalTime();
    m_day = local.date();
    m_time = local.time();
    recompose();
}

void ChosenDate::toFullHour()
{
    setTime(ModificationDates::fullHour(m_time));
}

void ChosenDate::toFullMinute()
{
    setTime(ModificationDates::fullMinute(m_time));
}

void ChosenDate::recompose()
{
    const QDateTime composed = ModificationDates::compose(m_day, m_time);
    if (composed.isValid())
        m_moment = composed;
}
