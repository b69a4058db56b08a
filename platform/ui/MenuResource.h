#pragma once

#include <string>
#include <vector>

namespace ui {

/// One entry of a popup: a command (id > 0) or a separator (id 0, empty text).
struct MenuItem {
    int id = 0;
    std::string text;
    bool IsSeparator() const { return id == 0; }
};

/// A popup of a menu resource: its caption and its entries.
struct MenuPopup {
    std::string text;
    std::vector<MenuItem> items;
};

/// A menu resource as kept under res/menus: a bar of popups.
class MenuResource {
public:
    MenuResource() = default;

    /// Parses the text form; throws std::runtime_error on a malformed line.
    static MenuResource Parse(const std::string& text);
    /// The menu with this resource id (":/res/menus/<id>.menu"); throws when missing.
    static MenuResource Load(int id);

    bool IsEmpty() const { return m_popups.empty(); }
    int GetPopupCount() const { return static_cast<int>(m_popups.size()); }
    /// The popup at this position, or null past the end (the original's GetSubMenu).
    const MenuPopup* GetSubMenu(int position) const;

private:
    std::vector<MenuPopup> m_popups;
};

/// Text of a string-table entry (":/res/strings/strings.txt"), or "" when there is none.
std::string LoadResourceString(int id);

} // namespace ui
