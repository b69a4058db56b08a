#pragma once

#include "platform/ado/ServerWait.h"

#include <memory>

class QProgressDialog;

/// While a statement waits for the ledger server on the windows' thread, the windows stay
/// drawn, and after a moment a window says so and offers 取消 (which asks the server to cancel
/// the statement; nothing of it is kept). The other windows take no input meanwhile.
class CServerWaitWindow : public ado::ServerWait {
public:
    CServerWaitWindow();
    ~CServerWaitWindow() override;

    bool Waiting(std::chrono::milliseconds waited) override;
    void Done() override;

    static constexpr int kShowAfterMs = 400;
    static constexpr const char* kText = "正在等待账本服务器回答……";

private:
    std::unique_ptr<QProgressDialog> m_window;
    int m_depth = 0;
};
