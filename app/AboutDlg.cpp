#include "app/AboutDlg.h"

#include "platform/skin/SkinEngine.h"
#include "platform/ui/UrlOpener.h"

CAboutDlg::CAboutDlg(QWidget* parent) : ui::Dialog(IDD, parent) {
    OnCommand(IDC_HOMEPAGE, [this] { OnLinkClicked(); });
}

bool CAboutDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "aboutdialog", 1);
    dsSkinWindow(GetDlgItem(IDC_HOMEPAGE), SkinStatic, "linkstatic", 0);
    return true;
}

// The box stays open; whether a browser came up is the desktop's business.
void CAboutDlg::OnLinkClicked() {
    ui::ShellOpenUrl(this, kHomePage);
}
