#pragma once

#include "platform/ole/OleDateTime.h"

#include <QObject>
#include <QTimer>

class QWidget;

/// Works out the recurring records due: at once when started (the login), then again just
/// after each midnight while it lives. Automatic ones are written; the others are offered
/// in the 待入账 window.
class CRecurringWatch : public QObject {
    Q_OBJECT
public:
    /// `owner` is the window the messages and the 待入账 window belong to.
    explicit CRecurringWatch(QWidget* owner);

    /// Runs at once and arms the timer for the next midnight.
    void Start();
    /// One run for `now`: how many records it wrote. Engine errors are thrown.
    static int RunDue(QWidget* owner, const COleDateTime& now);
    /// Milliseconds from `now` to one second after the next midnight.
    static int MsecsToNextDay(const COleDateTime& now);
    const QTimer& Timer() const { return m_timer; }

private:
    void OnTimer();

    QWidget* m_owner;
    QTimer m_timer;
};
