#pragma once

#include "data/ADODatabase.h"
#include "platform/ui/Dialog.h"

#include <string>

class CADORecordset;

/// User administration in two modes: add a user, or change root's password. The dialog
/// stays open after each action; every outcome is a message box.
class CUserAddDlg : public ui::Dialog {
public:
    enum { IDD = 131 };
    enum ControlId {
        IDC_ADD_MODE = 1056,
        IDC_PASSWORD_MODE = 1057,
        IDC_NAME_LABEL = 1058,
        IDC_NAME = 1002,
        IDC_PASSWORD = 1023,
        IDC_REPEAT = 1005,
    };

    explicit CUserAddDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    void OnOK() override;

private:
    void OnAddUserMode();
    void OnChangePasswordMode();
    void AddUser(CADORecordset& rs);
    void ChangeRootPassword(CADORecordset& rs);

    CADODatabase m_db;
    std::string m_strUserName; // the user name, or root's old password when changing it
    std::string m_strPassword;
    std::string m_strRepeat;
};
