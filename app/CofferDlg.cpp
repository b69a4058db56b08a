#include "app/CofferDlg.h"

#include "accounts/AccountsDlg.h"
#include "accounts/TransferDlg.h"
#include "bills/BillDlg.h"
#include "app/AboutDlg.h"
#include "app/CofferApp.h"
#include "backup/BackupDlg.h"
#include "backup/LedgerBackups.h"
#include "data/ADODatabase.h"
#include "basedata/BaseDataDlg.h"
#include "exchange/ImportDlg.h"
#include "ledger/LedgerLocationDlg.h"
#include "plan/BudgetDlg.h"
#include "plan/RecurringDlg.h"
#include "plan/RecurringWatch.h"
#include "records/AccountLink.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/HandlerBoundary.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/ScaledIcon.h"
#include "platform/ui/WindowHost.h"
#include "users/UserAddDlg.h"
#include "users/UserDlg.h"
#include "web/PhoneDlg.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QTreeWidget>

#include <exception>

namespace {

struct NavigationItem {
    const char* text;
    int parent; // index of the parent item, −1 for the root
    const char* image;
};

const NavigationItem kNavigation[] = {
    {"日常管理", -1, "tree2.add.all"},     {"日常收入", 0, "tree2.add.income"},
    {"日常支出", 0, "tree2.add.pay"},      {"日常查询", -1, "tree2.search.all"},
    {"收入查询", 3, "tree2.add.income"},   {"支出查询", 3, "tree2.add.pay"},
    {"收支统计", 3, "tree2.search.stats"}, {"搜索", 3, "tree2.search.find"},
    {"账户余额", 3, "tree2.search.stats"},
};

constexpr unsigned kTrayIconId = 100;
const char* const kTrayTip = "金匣 V1.10";

// Edge hiding: the mouse is watched every 100 ms while it is away; a window within 5 pixels
// of an edge slides up in steps of 10 pixels, 1 ms apart.
constexpr int kDockTimer = 100;
constexpr int kDockTimerPeriod = 100;
constexpr int kEdgeMargin = 5;
constexpr int kSlideStep = 10;
constexpr int kSlidePause = 1;

} // namespace

CCofferDlg::CCofferDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_hIcon(ui::LoadScaledIcon(QStringLiteral(":/res/icons/128.png"))) {
    OnCommand(IDC_LOGIN, [this] { OnLogin(); });
    OnCommand(IDC_LOGOUT, [this] { OnLogout(); });
    OnCommand(IDC_SETTINGS, [this] { OnSettingsButton(); });
    OnCommand(IDC_ABOUT, [this] { OnAboutButton(); });
    OnCommand(ID_USER_SETTINGS, [this] { OnUserSettings(); });
    OnCommand(ID_SYSTEM_SETTINGS, [this] { OnSystemSettings(); });
    OnCommand(ID_BACKUP_RESTORE, [this] { OnBackupRestore(); });
    OnCommand(ID_IMPORT_RECORDS, [this] { OnImportRecords(); });
    OnCommand(ID_BUDGETS, [this] {
        CBudgetDlg dlg(this);
        dlg.DoModal();
    });
    OnCommand(ID_RECURRING, [this] {
        CRecurringDlg dlg(this);
        dlg.DoModal();
    });
    OnCommand(ID_LEDGER_LOCATION, [this] { OnLedgerLocation(); });
    OnCommand(ID_ACCOUNTS, [this] {
        CAccountsDlg dlg(this);
        dlg.DoModal();
    });
    OnCommand(ID_TRANSFER, [this] {
        CTransferDlg dlg(this);
        dlg.DoModal();
    });
    OnCommand(ID_PHONE, [this] {
        CPhoneDlg dlg(this);
        dlg.DoModal();
    });
    OnCommand(ID_IMPORT_BILL, [this] {
        CBillDlg dlg(this);
        dlg.DoModal();
    });
    OnCommand(ID_EXIT, [this] { OnOK(); });
    OnCommand(IDM_ABOUTBOX, [this] { OnSysCommand(IDM_ABOUTBOX); });
    OnNotify(IDC_NAV_TREE, ui::Notification::DblClk,
             [this](ui::NotifyInfo& info) { OnTreeDblClk(info); });
    OnNotify(IDC_NAV_TREE, ui::Notification::RDblClk,
             [this](ui::NotifyInfo& info) { OnTreeRDblClk(info); });
    ui::OnWindowMessage(this, TrayCallbackMessage, [this](std::uintptr_t id, std::intptr_t mouse) {
        return OnTrayNotify(id, mouse);
    });
    setMouseTracking(true); // moves over the window itself drive the edge hiding
    // Its run is the program's life: on an XEmbed tray the icon is a window of the program
    // that a blocking run would keep from hearing the right button.
    SetBlocksOtherWindows(false);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
            [this] { OnFind(); });
}

CCofferDlg::~CCofferDlg() {
    ui::ShellNotifyIcon(ui::NIM_DELETE, m_trayIcon, 0);
    m_trayIcon.tip.clear();
}

bool CCofferDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    setWindowIcon(m_hIcon);
    m_menu = ui::MenuResource::Load(129);
    const QSize screen = ui::CurrentWindowHost().GetScreenSize();
    m_nScreenWidth = screen.width();
    m_nScreenHeight = screen.height();
    m_navTree = Item<QTreeWidget>(IDC_NAV_TREE);
    dsSkinWindow(this, SkinDialog, "maindialog", 1);
    dsSkinWindow(GetDlgItem(IDC_LOGOUT), SkinPushButton, "IcoButtonLogin", 0);
    dsSkinWindow(GetDlgItem(IDC_LOGIN), SkinPushButton, "IcoButtonLogin", 0);
    dsSkinWindow(GetDlgItem(IDC_HEAD_IMAGE), SkinPushButton, "buttonHeadImg", 0);
    AddTrayIcon();
    return true;
}

void CCofferDlg::BuildNavigationTree() {
    m_navTree->clear();
    dsSkinWindow(m_navTree, SkinTree, "TreeCtrlGame", 0);
    std::vector<QTreeWidgetItem*> made;
    for (const NavigationItem& entry : kNavigation) {
        const QStringList text{QString::fromUtf8(entry.text)};
        auto* item = entry.parent < 0 ? new QTreeWidgetItem(m_navTree, text)
                                      : new QTreeWidgetItem(made[entry.parent], text);
        dsSetDrawItemValueEx(m_navTree, item, 0, "icoitem", entry.image, 0);
        made.push_back(item);
    }
}

// A ledger that does not open (a server's password changed, a file moved) is said with the
// way to mend it: 账本位置, which the settings menu offers only after a login.
bool CCofferDlg::LedgerOpensOrOfferLocation() {
    CADODatabase db;
    db.SetConnectionString(ui::LoadResourceString(102));
    try {
        db.Open();
        return true;
    } catch (const CADOException& error) {
        if (ui::AskYesNo(this, "打不开账本：" + error.GetErrorMessage() +
                                   "\n\n要打开“账本位置”重新选择账本吗？") == ui::IDYES)
            OnLedgerLocation();
    }
    return false;
}

void CCofferDlg::MakeLedgerIndexes() {
    // Indexes only make listings faster: a ledger that cannot take one now (another copy
    // writing, a read-only file) is listed as before and gets it at a later login.
    CADODatabase db;
    db.SetConnectionString(ui::LoadResourceString(102));
    try {
        if (db.Open())
            CAccountLink::MakeIndexes(db);
    } catch (const CADOException&) {
    } catch (const std::exception&) {
    }
}

void CCofferDlg::OnLogin() {
    if (!LedgerOpensOrOfferLocation())
        return;
    CUserDlg dlg(this);
    dlg.m_strUserName = "root";
    dlg.m_strPassword = "73950";
    if (dlg.DoModal() == ui::IDOK) {
        SetDlgItemText(IDC_STATUS, dlg.m_strUserName);
        BuildNavigationTree();
        EnableItem(IDC_SETTINGS, true);
        MakeLedgerIndexes();
        // Recurring records due since the last login, then at each midnight.
        delete m_recurring;
        m_recurring = new CRecurringWatch(this);
        m_recurring->Start();
    } else {
        // A cancelled login leaves the tree and 系统设置 as they were.
        SetDlgItemText(IDC_STATUS, "用户名或密码错误");
    }
}

void CCofferDlg::OnLogout() {
    m_navTree->clear();
    SetDlgItemText(IDC_STATUS, "请登陆");
    EnableItem(IDC_SETTINGS, false);
    delete m_recurring;
    m_recurring = nullptr;
}

void CCofferDlg::OnTreeDblClk(ui::NotifyInfo& info) {
    info.result = 0; // the tree still expands or collapses the item
    QTreeWidgetItem* selected = m_navTree->currentItem();
    if (selected == nullptr)
        return;
    std::unique_ptr<ui::Dialog> dialog =
        m_treeResponse.CreateDialogForItem(selected->text(0).toStdString());
    if (dialog)
        dialog->DoModal();
}

void CCofferDlg::OnFind() {
    // Only once logged in, when the tree offers 搜索.
    if (m_navTree == nullptr || m_navTree->topLevelItemCount() == 0)
        return;
    if (std::unique_ptr<ui::Dialog> dialog = m_treeResponse.CreateDialogForItem("搜索"))
        dialog->DoModal();
}

void CCofferDlg::OnTreeRDblClk(ui::NotifyInfo& info) {
    info.result = 0;
    ui::MessageBox(this, "");
}

void CCofferDlg::OnSettingsButton() {
    const QPoint cursor = ui::CurrentWindowHost().GetCursorPos();
    dsTrackPopupMenu(m_menu.GetSubMenu(0), 2, cursor.x(), cursor.y(), this, 0);
}

void CCofferDlg::OnAboutButton() {
    CAboutDlg dlg(this);
    dlg.DoModal();
}

void CCofferDlg::OnUserSettings() {
    CUserAddDlg dlg(this);
    dlg.DoModal();
}

void CCofferDlg::OnSystemSettings() {
    CBaseDataDlg dlg(this);
    dlg.DoModal();
}

void CCofferDlg::OnBackupRestore() {
    CBackupDlg dlg(CLedgerBackups::LedgerPath(), this);
    dlg.DoModal();
}

void CCofferDlg::OnImportRecords() {
    CImportDlg dlg(this);
    dlg.DoModal();
}

void CCofferDlg::OnLedgerLocation() {
    CLedgerLocationDlg dlg(this);
    dlg.DoModal();
}

void CCofferDlg::OnSysCommand(int id) {
    if (id == IDM_ABOUTBOX)
        OnAboutButton();
}

// The window manager owns the window menu here, so the about item lives in the window's
// own context menu.
void CCofferDlg::contextMenuEvent(QContextMenuEvent* event) {
    const std::string about = ui::LoadResourceString(101);
    if (about.empty())
        return;
    ui::MenuPopup popup{"", {ui::MenuItem{IDM_ABOUTBOX, about}}};
    dsTrackPopupMenu(&popup, 2, event->globalPos().x(), event->globalPos().y(), this, 0);
}

void CCofferDlg::AddTrayIcon() {
    m_trayIcon.window = this;
    m_trayIcon.id = kTrayIconId;
    ui::ShellNotifyIcon(ui::NIM_ADD, m_trayIcon, ui::NIF_MESSAGE, TrayCallbackMessage);
    m_trayIcon.icon = m_hIcon;
    m_trayIcon.tip = kTrayTip;
    ui::ShellNotifyIcon(ui::NIM_MODIFY, m_trayIcon, ui::NIF_ICON | ui::NIF_TIP);
    // Hosts that show an icon's menu themselves get the settings menu to show.
    if (ui::TrayIcon* icon = ui::FindTrayIcon(this, kTrayIconId))
        icon->SetMenu(*m_menu.GetSubMenu(0));
}

long CCofferDlg::OnTrayNotify(std::uintptr_t id, std::intptr_t mouseMessage) {
    if (id != kTrayIconId)
        return 0;
    if (mouseMessage == ui::WM_LBUTTONDBLCLK) {
        show();
        raise();
        activateWindow();
    } else if (mouseMessage == ui::WM_RBUTTONUP) {
        // The menu closes by itself when the user clicks elsewhere.
        const QPoint cursor = ui::CurrentWindowHost().GetCursorPos();
        dsTrackPopupMenu(m_menu.GetSubMenu(0), 2, cursor.x(), cursor.y(), this, 0);
    }
    return 0;
}

void CCofferDlg::OnClose() {
    // Without a notification area nothing could bring a hidden window back.
    if (!ui::IsSystemTrayAvailable()) {
        ui::Dialog::OnClose();
        return;
    }
    // Hidden, not closed. A modal run ends only at EndDialog, never because its window was
    // hidden, so the program goes on in the notification area.
    hide();
}

void CCofferDlg::mouseMoveEvent(QMouseEvent* event) {
    ui::RunHandler(this, [this] { OnMouseMove(); });
    ui::Dialog::mouseMoveEvent(event);
}

void CCofferDlg::OnMouseMove() {
    ui::WindowHost& host = ui::CurrentWindowHost();
    if (m_bHidden) {
        host.MoveWindow(this, m_nDockLeft, 0, m_nDockWidth, m_nDockHeight, true);
        m_bHidden = false;
    } else if (!m_bTimerRunning) {
        host.SetTimer(this, kDockTimer, kDockTimerPeriod,
                      [this](int id) { ui::RunHandler(this, [this, id] { OnTimer(id); }); });
        m_bTimerRunning = true;
    }
}

void CCofferDlg::OnTimer(int) {
    ui::WindowHost& host = ui::CurrentWindowHost();
    const ui::ScreenRect rect = host.GetWindowRect(this);
    if (rect.Contains(host.GetCursorPos()))
        return;
    if (!IsAtScreenEdge())
        return;
    // A window past the left edge or touching the right one is first put fully on screen.
    if (m_nDockLeft < 0) {
        host.MoveWindow(this, 0, m_nDockTop, m_nDockWidth, m_nDockHeight, true);
        m_nDockLeft = 0;
    } else if (rect.right >= m_nScreenWidth - kEdgeMargin) {
        const int x = m_nScreenWidth - m_nDockWidth;
        host.MoveWindow(this, x, m_nDockTop, m_nDockWidth, m_nDockHeight, true);
        m_nDockLeft = x;
    }
    SlideUp();
    host.SetTopmost(this);
    m_bTimerRunning = false;
    host.KillTimer(this, kDockTimer);
    m_bHidden = true;
}

bool CCofferDlg::IsAtScreenEdge() {
    const ui::ScreenRect rect = ui::CurrentWindowHost().GetWindowRect(this);
    if (rect.top > kEdgeMargin && rect.left > kEdgeMargin &&
        rect.right < m_nScreenWidth - kEdgeMargin)
        return false;
    m_nDockLeft = rect.left;
    m_nDockTop = rect.top;
    m_nDockWidth = rect.Width();
    m_nDockHeight = rect.Height();
    return true;
}

// Always up, whichever edge the window touched; a strip of 3 to 12 rows stays on screen.
void CCofferDlg::SlideUp() {
    ui::WindowHost& host = ui::CurrentWindowHost();
    for (int y = 0; y > 2 - m_nDockHeight; y -= kSlideStep) {
        host.MoveWindow(this, m_nDockLeft, y, m_nDockWidth, m_nDockHeight, true);
        host.Sleep(kSlidePause);
    }
}
