#pragma once

#include "ledger/ServerAddress.h"
#include "platform/ui/Dialog.h"

#include <string>

/// 账本位置: whether the household ledger is this computer's file or on a PostgreSQL server,
/// with a connection test that says in plain words what is wrong. 确定 stores the choice in
/// coffer.conf (the password in ~/.pgpass); it takes effect at the next connection opened.
class CLedgerLocationDlg : public ui::Dialog {
public:
    enum { IDD = 146 };
    enum ControlId {
        IDC_FILE = 1201,
        IDC_SERVER = 1202,
        IDC_HOST = 1203,
        IDC_PORT = 1204,
        IDC_DATABASE = 1205,
        IDC_USER = 1206,
        IDC_PASSWORD = 1207,
        IDC_TEST = 1208,
    };

    explicit CLedgerLocationDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    bool IsServerChosen() const;
    void ShowChoice();
    CServerAddress Address() const;
    /// The URI to connect with now: with the typed password, when there is one.
    std::string TestUri() const;
    void OnTest();

    /// The address as stored when the window opened: its options go back with the new one.
    CServerAddress m_stored;
};
