#include "platform/ui/DateTimePicker.h"

namespace ui {

DateTimePicker::DateTimePicker(QWidget* parent) : QDateEdit(parent) {
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    setCalendarPopup(true);
    setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    SetTime(COleDateTime::GetCurrentTime());
}

COleDateTime DateTimePicker::GetTime() const {
    QDate day = date();
    return COleDateTime(day.year(), day.month(), day.day(), m_nHour, m_nMinute, m_nSecond);
}

void DateTimePicker::SetTime(const COleDateTime& value) {
    if (value.GetStatus() != COleDateTime::valid)
        return;
    m_nHour = value.GetHour();
    m_nMinute = value.GetMinute();
    m_nSecond = value.GetSecond();
    setDate(QDate(value.GetYear(), value.GetMonth(), value.GetDay()));
}

} // namespace ui
