#pragma once

#include "platform/ole/OleDateTime.h"

#include <QDateEdit>

namespace ui {

/// The date picker: shows and edits the date only, but keeps the time of day of the value
/// it holds, as the records need the time a record was made. Starts at "now" from the clock.
class DateTimePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DateTimePicker(QWidget* parent = nullptr);

    /// The chosen day with the kept time of day.
    COleDateTime GetTime() const;
    /// Shows the value's day and keeps its time of day; a value that is not valid is ignored.
    void SetTime(const COleDateTime& value);

private:
    int m_nHour = 0, m_nMinute = 0, m_nSecond = 0;
};

} // namespace ui
