#pragma once

#include "app/TreeResponse.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/TrayIcon.h"

#include <QIcon>

#include <cstdint>

class CRecurringWatch;
class QTreeWidget;

/// The main window: login area, navigation tree, settings menu and about box. Its modal run
/// is the program's life; Esc and 退出 end it. It keeps an icon in the notification area
/// (closing the window only hides it) and slides up out of view at the screen's top edge
/// when the mouse leaves it while it touches an edge.
class CCofferDlg : public ui::Dialog {
    Q_OBJECT
public:
    enum { IDD = 102 };
    enum ControlId {
        IDC_HEAD_IMAGE = 1049,
        IDC_STATUS = 1051,
        IDC_LOGIN = 1007,
        IDC_LOGOUT = 1001,
        IDC_NAV_TREE = 1000,
        IDC_SETTINGS = 1010,
        IDC_ABOUT = 1011,
    };
    enum CommandId {
        ID_USER_SETTINGS = 32792,
        ID_SYSTEM_SETTINGS = 32793,
        ID_EXIT = 32794,
        ID_BACKUP_RESTORE = 32795,
        ID_IMPORT_RECORDS = 32796,
        ID_BUDGETS = 32797,
        ID_RECURRING = 32798,
        ID_LEDGER_LOCATION = 32799,
        ID_ACCOUNTS = 32820,
        ID_TRANSFER = 32821,
        ID_PHONE = 32818,
        ID_IMPORT_BILL = 32830,
        IDM_ABOUTBOX = 0x10,
    };

    explicit CCofferDlg(QWidget* parent = nullptr);
    ~CCofferDlg() override;

    /// Fills the tree with its seven items (after a successful login).
    void BuildNavigationTree();

protected:
    bool OnInitDialog() override;
    void OnClose() override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void OnLogin();
    bool LedgerOpensOrOfferLocation();
    void MakeLedgerIndexes();
    void OnLogout();
    void OnTreeDblClk(ui::NotifyInfo& info);
    /// Ctrl+F: the 搜索 window.
    void OnFind();
    void OnTreeRDblClk(ui::NotifyInfo& info);
    void OnSettingsButton();
    void OnAboutButton();
    void OnUserSettings();
    void OnSystemSettings();
    void OnBackupRestore();
    void OnImportRecords();
    void OnLedgerLocation();
    void OnSysCommand(int id);

    void AddTrayIcon();
    long OnTrayNotify(std::uintptr_t id, std::intptr_t mouseMessage);
    void OnMouseMove();
    void OnTimer(int id);
    bool IsAtScreenEdge();
    void SlideUp();

    QIcon m_hIcon;
    CTreeResponse m_treeResponse;
    CRecurringWatch* m_recurring = nullptr; // while logged in; owned by the window
    ui::TrayIconRecord m_trayIcon;
    int m_nScreenWidth = 0, m_nScreenHeight = 0;
    int m_nDockLeft = 0, m_nDockTop = 0, m_nDockWidth = 0, m_nDockHeight = 0;
    QTreeWidget* m_navTree = nullptr;
    ui::MenuResource m_menu;
    bool m_bHidden = false, m_bTimerRunning = false;
};
