#pragma once

#include "platform/ui/Dialog.h"

#include <string>

/// The login: checks a user name and password against tbUser. The caller fills both
/// members before the run and reads m_strUserName after a successful one.
class CUserDlg : public ui::Dialog {
public:
    enum { IDD = 130 };
    enum ControlId { IDC_USER = 1022, IDC_PASSWORD = 1023, IDC_ADD = 1024 };

    explicit CUserDlg(QWidget* parent = nullptr);

    std::string m_strUserName;
    std::string m_strPassword;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    void OnOK() override;

private:
    void OnUserSettings();
};
