#include "app/CofferApp.h"

#include "app/CofferDlg.h"
#include "app/ServerWaitWindow.h"
#include "backup/LedgerBackups.h"
#include "data/EngineErrorText.h"
#include "plan/PlanHooks.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/HandlerBoundary.h"
#include "platform/ui/QuietMessages.h"
#include "platform/ui/ScaledIcon.h"
#include "platform/ui/TrayIcon.h"
#include "platform/ui/WindowMessages.h"
#include "web/PhoneDlg.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>
#include <iostream>

const unsigned TrayCallbackMessage =
    ui::RegisterWindowMessage("Tray.{47BCDAC1-2E6F-4f9a-9A3F-68A3B97CE33E}");

CCofferApp theApp;

namespace {

// Qt cannot move top-level windows under Wayland, and the main window hides by moving
// itself to the top edge: ask for X11 (XWayland) there, unless the user chose a platform.
void PreferX11UnderWayland() {
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const bool wayland = std::getenv("WAYLAND_DISPLAY") != nullptr ||
                         (session != nullptr && std::string(session) == "wayland");
    if (wayland && std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") != nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 1);
}

} // namespace

int CCofferApp::Run(int argc, char** argv) {
    PreferX11UnderWayland();
    ui::SilenceHarmlessQtMessages();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Coffer"));
    QApplication::setOrganizationName(QStringLiteral("岚舟坊"));
    QApplication::setWindowIcon(ui::LoadScaledIcon(QStringLiteral(":/res/icons/128.png")));
    // Standard buttons and context menus read in Chinese like the rest of the program.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    // An engine error that escapes a handler is shown with the engine's description.
    ui::AddErrorTranslator(&DescribeEngineError);
    CPlanHooks::Install();
    // A ledger server slow to answer leaves the windows drawn, with a way to give up.
    const CServerWaitWindow serverWait;
    // The main window's run is the program's life; a hidden main window with no other
    // window left open is not the end of it.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!ui::IsSystemTrayAvailable())
        std::cerr << "coffer: this desktop has no notification area (system tray); closing the "
                     "window ends the program.\n";
    // The phone page serves for the program's whole life when the user left it on.
    CPhoneDlg::StartIfEnabled();
    InitInstance();
    CPhoneDlg::StopService();
    return ExitInstance();
}

bool CCofferApp::InitInstance() {
    dsLoadSkin("ControlSkin", 0);
    // A verified backup of the ledger, before anything can change it.
    CLedgerBackups::AtStartup(nullptr, CLedgerBackups::LedgerPath());
    {
        CCofferDlg dialog;
        dialog.DoModal();
    } // the main window, and with it the tray icon, is gone before the skin is released
    return false;
}

int CCofferApp::ExitInstance() {
    dsExitSkin();
    return 0;
}
