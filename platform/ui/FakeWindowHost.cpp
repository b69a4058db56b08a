#include "platform/ui/FakeWindowHost.h"

namespace ui {

FakeWindowHost::FakeWindowHost() : m_previous(SetWindowHost(this)) {
}

FakeWindowHost::~FakeWindowHost() {
    SetWindowHost(m_previous);
}

int FakeWindowHost::TimerPeriod(int id) const {
    auto found = m_timers.find(id);
    return found != m_timers.end() ? found->second.period : 0;
}

int FakeWindowHost::Tick() {
    // A tick may stop its own timer (or another), so run over a copy of the ids.
    std::vector<int> ids;
    for (const auto& [id, timer] : m_timers)
        ids.push_back(id);
    int ticked = 0;
    for (int id : ids) {
        auto found = m_timers.find(id);
        if (found == m_timers.end())
            continue;
        std::function<void(int)> tick = found->second.tick;
        tick(id);
        ++ticked;
    }
    return ticked;
}

ScreenRect FakeWindowHost::GetWindowRect(QWidget*) {
    return m_rect;
}

void FakeWindowHost::MoveWindow(QWidget*, int x, int y, int width, int height, bool repaint) {
    m_rect = {x, y, x + width, y + height};
    m_moves.push_back({m_rect, repaint});
}

void FakeWindowHost::SetTimer(QWidget*, int id, int milliseconds, std::function<void(int)> tick) {
    m_timers[id] = {milliseconds, std::move(tick)};
    ++m_nTimerStarts;
}

void FakeWindowHost::KillTimer(QWidget*, int id) {
    m_timers.erase(id);
}

void FakeWindowHost::SetTopmost(QWidget*) {
    m_bTopmost = true;
}

void FakeWindowHost::Sleep(int milliseconds) {
    ++m_nPauses;
    m_nPausedMs += milliseconds;
}

} // namespace ui
