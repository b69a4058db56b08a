#pragma once

#include "platform/ui/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

namespace ui {

/// Message-box seam for tests: while it lives, every message box is recorded instead of
/// shown and answered with OK; questions are recorded among the texts too and answered
/// with the answers given in turn (否 when none is left).
class MessageRecorder : public MessageBoxHandler {
public:
    MessageRecorder();
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    int Show(QWidget* owner, const std::string& text, const std::string& caption) override;
    int Ask(QWidget* owner, const std::string& text, const std::string& caption) override;

    /// The answer (IDYES or IDNO) to the next question not answered yet.
    void Answer(int answer) { m_answers.push_back(answer); }
    /// The questions asked so far.
    const std::vector<std::string>& Questions() const { return m_questions; }

    const std::vector<std::string>& Texts() const { return m_texts; }
    const std::vector<std::string>& Captions() const { return m_captions; }
    /// The texts recorded so far, forgetting them.
    std::vector<std::string> Take();

private:
    MessageBoxHandler* m_previous;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_captions;
    std::vector<std::string> m_questions;
    std::deque<int> m_answers;
};

} // namespace ui
