#pragma once

#include "platform/ui/MessageBox.h"

#include <string>
#include <vector>

namespace ui {

/// Message-box seam for tests: while it lives, every message box is recorded instead of
/// shown and answered with OK.
class MessageRecorder : public MessageBoxHandler {
public:
    MessageRecorder();
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    int Show(QWidget* owner, const std::string& text, const std::string& caption) override;

    const std::vector<std::string>& Texts() const { return m_texts; }
    const std::vector<std::string>& Captions() const { return m_captions; }
    /// The texts recorded so far, forgetting them.
    std::vector<std::string> Take();

private:
    MessageBoxHandler* m_previous;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_captions;
};

} // namespace ui
