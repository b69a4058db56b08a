#include "app/CofferDlg.h"

#include "basedata/BaseDataDlg.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/HandlerBoundary.h"
#include "users/UserAddDlg.h"
#include "users/UserDlg.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTreeWidget>

namespace {

struct NavigationItem {
    const char* text;
    int parent; // index of the parent item, −1 for the root
    const char* image;
};

const NavigationItem kNavigation[] = {
    {"日常管理", -1, "tree2.add.all"},   {"日常收入", 0, "tree2.add.income"},
    {"日常支出", 0, "tree2.add.pay"},    {"日常查询", -1, "tree2.search.all"},
    {"收入查询", 3, "tree2.add.income"}, {"支出查询", 3, "tree2.add.pay"},
};

} // namespace

CCofferDlg::CCofferDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_hIcon(QStringLiteral(":/res/icons/128.png")) {
    OnCommand(IDC_LOGIN, [this] { OnLogin(); });
    OnCommand(IDC_LOGOUT, [this] { OnLogout(); });
    OnCommand(IDC_SETTINGS, [this] { OnSettingsButton(); });
    OnCommand(IDC_ABOUT, [this] { OnAboutButton(); });
    OnCommand(ID_USER_SETTINGS, [this] { OnUserSettings(); });
    OnCommand(ID_SYSTEM_SETTINGS, [this] { OnSystemSettings(); });
    OnCommand(ID_EXIT, [this] { OnOK(); });
    OnCommand(IDM_ABOUTBOX, [this] { OnSysCommand(IDM_ABOUTBOX); });
    OnNotify(IDC_NAV_TREE, ui::Notification::DblClk,
             [this](ui::NotifyInfo& info) { OnTreeDblClk(info); });
    OnNotify(IDC_NAV_TREE, ui::Notification::RDblClk,
             [this](ui::NotifyInfo& info) { OnTreeRDblClk(info); });
}

CCofferDlg::~CCofferDlg() = default;

bool CCofferDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    setWindowIcon(m_hIcon);
    m_menu = ui::MenuResource::Load(129);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m_nScreenWidth = screen->geometry().width();
        m_nScreenHeight = screen->geometry().height();
    }
    m_navTree = Item<QTreeWidget>(IDC_NAV_TREE);
    dsSkinWindow(this, SkinDialog, "maindialog", 1);
    dsSkinWindow(GetDlgItem(IDC_LOGOUT), SkinPushButton, "IcoButtonLogin", 0);
    dsSkinWindow(GetDlgItem(IDC_LOGIN), SkinPushButton, "IcoButtonLogin", 0);
    dsSkinWindow(GetDlgItem(IDC_HEAD_IMAGE), SkinPushButton, "buttonHeadImg", 0);
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

void CCofferDlg::OnLogin() {
    CUserDlg dlg(this);
    dlg.m_strUserName = "root";
    dlg.m_strPassword = "73950";
    if (dlg.DoModal() == ui::IDOK) {
        SetDlgItemText(IDC_STATUS, dlg.m_strUserName);
        BuildNavigationTree();
        EnableItem(IDC_SETTINGS, true);
    } else {
        // A cancelled login leaves the tree and 系统设置 as they were.
        SetDlgItemText(IDC_STATUS, "用户名或密码错误");
    }
}

void CCofferDlg::OnLogout() {
    m_navTree->clear();
    SetDlgItemText(IDC_STATUS, "请登陆");
    EnableItem(IDC_SETTINGS, false);
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

void CCofferDlg::OnTreeRDblClk(ui::NotifyInfo& info) {
    info.result = 0;
    ui::MessageBox(this, "");
}

void CCofferDlg::OnSettingsButton() {
    const QPoint cursor = QCursor::pos();
    dsTrackPopupMenu(m_menu.GetSubMenu(0), 2, cursor.x(), cursor.y(), this, 0);
}

void CCofferDlg::OnAboutButton() {
    // The about box arrives with its own dialog.
}

void CCofferDlg::OnUserSettings() {
    CUserAddDlg dlg(this);
    dlg.DoModal();
}

void CCofferDlg::OnSystemSettings() {
    CBaseDataDlg dlg(this);
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
