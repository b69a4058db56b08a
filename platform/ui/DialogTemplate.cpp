#include "platform/ui/DialogTemplate.h"

#include <QFile>

#include <map>
#include <sstream>
#include <stdexcept>

namespace ui {
namespace {

const std::map<std::string, ControlKind> kKinds = {
    {"PUSHBUTTON", ControlKind::PushButton},
    {"DEFPUSHBUTTON", ControlKind::DefPushButton},
    {"LTEXT", ControlKind::Label},
    {"CTEXT", ControlKind::CenteredLabel},
    {"ICON", ControlKind::Icon},
    {"EDITTEXT", ControlKind::Edit},
    {"COMBOBOX", ControlKind::ComboBox},
    {"CHECKBOX", ControlKind::CheckBox},
    {"RADIOBUTTON", ControlKind::RadioButton},
    {"GROUPBOX", ControlKind::GroupBox},
    {"TREEVIEW", ControlKind::TreeView},
    {"LISTVIEW", ControlKind::ListView},
    {"DATETIMEPICKER", ControlKind::DateTimePicker},
    {"PROGRESS", ControlKind::ProgressBar},
};

// Splits a line into words; a word in double quotes may hold blanks.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
        } else if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos)
                throw std::runtime_error("unterminated text");
            words.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = line.find_first_of(" \t", i);
            if (end == std::string::npos)
                end = line.size();
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

int Number(const std::string& word) {
    size_t used = 0;
    int value = std::stoi(word, &used);
    if (used != word.size())
        throw std::runtime_error("not a number: " + word);
    return value;
}

} // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    for (const ControlTemplate& control : controls)
        if (control.id == controlId)
            return &control;
    return nullptr;
}

// Format, one statement a line ('#' starts a comment line):
//   DIALOG <id> "<caption>" <cx> <cy> "<font>" <points> [style ...]
//   <KIND> <id> "<text>" <x> <y> <cx> <cy> [style ...]      (id -1: no id)
DialogTemplate DialogTemplate::Parse(const std::string& text) {
    DialogTemplate result;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    bool haveHead = false;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        try {
            std::vector<std::string> words = Words(line);
            if (words.empty() || words[0][0] == '#')
                continue;
            if (words[0] == "DIALOG") {
                if (words.size() < 7)
                    throw std::runtime_error("DIALOG needs id, caption, size and font");
                result.id = Number(words[1]);
                result.caption = words[2];
                result.cx = Number(words[3]);
                result.cy = Number(words[4]);
                result.fontName = words[5];
                result.fontPoints = Number(words[6]);
                result.styles.insert(words.begin() + 7, words.end());
                haveHead = true;
                continue;
            }
            auto kind = kKinds.find(words[0]);
            if (kind == kKinds.end())
                throw std::runtime_error("unknown control kind " + words[0]);
            if (words.size() < 7)
                throw std::runtime_error("a control needs id, text, position and size");
            ControlTemplate control;
            control.kind = kind->second;
            control.id = Number(words[1]);
            control.text = words[2];
            control.x = Number(words[3]);
            control.y = Number(words[4]);
            control.cx = Number(words[5]);
            control.cy = Number(words[6]);
            control.styles.insert(words.begin() + 7, words.end());
            result.controls.push_back(std::move(control));
        } catch (const std::exception& error) {
            throw std::runtime_error("dialog template line " + std::to_string(lineNumber) + ": " +
                                     error.what());
        }
    }
    if (!haveHead)
        throw std::runtime_error("dialog template without a DIALOG line");
    return result;
}

namespace {

// Templates are read once and kept: dialogs are opened again and again.
std::map<int, DialogTemplate>& Cache() {
    static std::map<int, DialogTemplate> cache;
    return cache;
}

} // namespace

void DialogTemplate::Register(DialogTemplate dialogTemplate) {
    const int id = dialogTemplate.id;
    Cache()[id] = std::move(dialogTemplate);
}

const DialogTemplate& DialogTemplate::Load(int id) {
    std::map<int, DialogTemplate>& cache = Cache();
    auto found = cache.find(id);
    if (found != cache.end())
        return found->second;
    QFile file(QStringLiteral(":/res/dialogs/%1.dlg").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing dialog template " + std::to_string(id));
    DialogTemplate parsed = Parse(file.readAll().toStdString());
    return cache.emplace(id, std::move(parsed)).first->second;
}

} // namespace ui
