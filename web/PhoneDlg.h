#pragma once

#include "platform/ui/Dialog.h"

#include <string>

class CPhoneService;
namespace ui {
class ListCtrl;
}

/// 手机记账: turns the phone page on or off (remembered), shows the addresses it serves on
/// the home network, a QR code with a one-time pairing code, the certificate's fingerprint
/// and the paired phones, any of which 取消配对 unpairs. The page itself runs in the program
/// for its whole life, not only while this window is open.
class CPhoneDlg : public ui::Dialog {
public:
    enum { IDD = 158 };
    enum ControlId {
        IDC_ENABLE = 1301,
        IDC_PORT = 1302,
        IDC_APPLY = 1303,
        IDC_ADDRESSES = 1304,
        IDC_QR = 1305,
        IDC_PAIRING = 1306,
        IDC_NEW_CODE = 1307,
        IDC_FINGERPRINT = 1308,
        IDC_PHONES = 1309,
        IDC_UNPAIR = 1310,
    };

    explicit CPhoneDlg(QWidget* parent = nullptr);

    /// Starts the page at start-up when the user left it on.
    static void StartIfEnabled();
    /// Stops it before the program ends.
    static void StopService();
    /// The running page, or null.
    static CPhoneService* Service();

protected:
    bool OnInitDialog() override;

private:
    void OnEnable();
    void OnApply();
    void OnNewCode();
    void OnUnpair();
    bool Start(std::string& strError);
    void ShowState();
    void FillPhones();

    ui::ListCtrl* m_listPhones = nullptr;
    std::string m_strPairing;
};
