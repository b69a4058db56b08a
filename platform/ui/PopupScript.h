#pragma once

#include "platform/ui/PopupMenu.h"

#include <deque>
#include <string>
#include <vector>

namespace ui {

/// Popup-menu seam for tests: while it lives, each popup is recorded and answered with the
/// next queued choice (a command id, or 0 for none).
class PopupScript : public PopupMenuHandler {
public:
    PopupScript();
    ~PopupScript() override;
    PopupScript(const PopupScript&) = delete;
    PopupScript& operator=(const PopupScript&) = delete;

    void Choose(int commandId) { m_choices.push_back(commandId); }
    int Track(const MenuPopup& popup, QPoint screenPos, QWidget* owner) override;

    /// The texts of the entries of each popup shown so far.
    const std::vector<std::vector<std::string>>& Shown() const { return m_shown; }
    const std::vector<QPoint>& Positions() const { return m_positions; }

private:
    PopupMenuHandler* m_previous;
    std::deque<int> m_choices;
    std::vector<std::vector<std::string>> m_shown;
    std::vector<QPoint> m_positions;
};

} // namespace ui
