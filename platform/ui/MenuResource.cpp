#include "platform/ui/MenuResource.h"

#include <QFile>

#include <charconv>
#include <sstream>
#include <stdexcept>

namespace ui {
namespace {

std::string ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing resource " + path.toStdString());
    return file.readAll().toStdString();
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

// Format, one statement a line ('#' starts a comment line):
//   POPUP <caption>
//   <id> <text>        a command of the last popup
//   SEPARATOR
MenuResource MenuResource::Parse(const std::string& text) {
    MenuResource menu;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line.rfind("POPUP ", 0) == 0) {
            menu.m_popups.push_back(MenuPopup{Trimmed(line.substr(6)), {}});
            continue;
        }
        if (menu.m_popups.empty())
            throw std::runtime_error("menu entry before the first POPUP: " + line);
        if (line == "SEPARATOR") {
            menu.m_popups.back().items.push_back(MenuItem{});
            continue;
        }
        size_t blank = line.find(' ');
        if (blank == std::string::npos)
            throw std::runtime_error("menu entry without text: " + line);
        // Digits only, and within range: a malformed id is refused like any bad line, never
        // passed on as another kind of exception.
        const std::string idText = line.substr(0, blank);
        int id = 0;
        const auto [end, error] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
        if (idText.empty() || idText[0] == '-' || error != std::errc() ||
            end != idText.data() + idText.size())
            throw std::runtime_error("menu command id is not a number: " + line);
        if (id <= 0)
            throw std::runtime_error("menu command ids are positive: " + line);
        menu.m_popups.back().items.push_back(MenuItem{id, Trimmed(line.substr(blank + 1))});
    }
    return menu;
}

MenuResource MenuResource::Load(int id) {
    return Parse(ReadResource(QStringLiteral(":/res/menus/%1.menu").arg(id)));
}

const MenuPopup* MenuResource::GetSubMenu(int position) const {
    if (position < 0 || position >= GetPopupCount())
        return nullptr;
    return &m_popups[static_cast<size_t>(position)];
}

// Format: "<id> <text>" a line.
std::string LoadResourceString(int id) {
    std::istringstream in(ReadResource(QStringLiteral(":/res/strings/strings.txt")));
    std::string line;
    const std::string key = std::to_string(id) + " ";
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(key, 0) == 0)
            return line.substr(key.size());
    }
    return {};
}

} // namespace ui
