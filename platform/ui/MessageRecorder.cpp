#include "platform/ui/MessageRecorder.h"

namespace ui {

MessageRecorder::MessageRecorder() : m_previous(SetMessageBoxHandler(this)) {}

MessageRecorder::~MessageRecorder() { SetMessageBoxHandler(m_previous); }

int MessageRecorder::Show(QWidget*, const std::string& text, const std::string& caption) {
    m_texts.push_back(text);
    m_captions.push_back(caption);
    return IDOK;
}

int MessageRecorder::Ask(QWidget* owner, const std::string& text, const std::string& caption) {
    Show(owner, text, caption);
    m_questions.push_back(text);
    if (m_answers.empty())
        return IDNO;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::vector<std::string> MessageRecorder::Take() {
    std::vector<std::string> texts;
    texts.swap(m_texts);
    m_captions.clear();
    return texts;
}

} // namespace ui
