// 手机记账: turning the page on serves it and shows where, with a QR code and the
// certificate's fingerprint, and remembers it; 取消配对 unpairs the chosen phone.
#include "web/PhoneDlg.h"
#include "web/PhoneService.h"

#include "platform/ui/ListCtrl.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QLabel>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

using testing_support::TestDb;

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class PhoneDlgTest : public ::testing::Test {
protected:
    PhoneDlgTest() { setenv("XDG_CONFIG_HOME", (db.Directory() / "config").c_str(), 1); }
    ~PhoneDlgTest() override {
        CPhoneDlg::StopService();
        unsetenv("XDG_CONFIG_HOME");
    }

    TestDb db;
    ui::MessageRecorder m_messages;
};

TEST_F(PhoneDlgTest, TurningThePageOnServesItShowsHowToPairAndIsRemembered) {
    auto dialog = std::make_unique<CPhoneDlg>();
    ASSERT_TRUE(dialog->Create());
    EXPECT_EQ(dialog->GetDlgItemText(CPhoneDlg::IDC_ADDRESSES), "（未开启）");
    const quint16 port = FreePort();
    dialog->SetDlgItemText(CPhoneDlg::IDC_PORT, std::to_string(port));
    ASSERT_TRUE(dialog->ClickButton(CPhoneDlg::IDC_ENABLE));
    ASSERT_NE(CPhoneDlg::Service(), nullptr) << (m_messages.Take().empty() ? "" : "refused");
    EXPECT_NE(dialog->GetDlgItemText(CPhoneDlg::IDC_ADDRESSES).find(":" + std::to_string(port) + "/"),
              std::string::npos);
    EXPECT_FALSE(dialog->Item<QLabel>(CPhoneDlg::IDC_QR)->pixmap().isNull());
    EXPECT_NE(dialog->GetDlgItemText(CPhoneDlg::IDC_PAIRING).find("code="), std::string::npos);
    EXPECT_EQ(dialog->GetDlgItemText(CPhoneDlg::IDC_FINGERPRINT),
              CPhoneDlg::Service()->Certificates().Fingerprint());
    for (auto* button : dialog->findChildren<QAbstractButton*>())
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
            << button->text().toStdString();
    if (const char* shots = std::getenv("COFFER_SCREENSHOTS"))
        dialog->grab().save(QString::fromUtf8(shots) + "/phone.png");
    dialog.reset();

    // The next start of the program serves it again.
    CPhoneDlg::StopService();
    CPhoneDlg::StartIfEnabled();
    ASSERT_NE(CPhoneDlg::Service(), nullptr);
    EXPECT_EQ(CPhoneDlg::Service()->Port(), port);

    dialog = std::make_unique<CPhoneDlg>();
    ASSERT_TRUE(dialog->Create());
    EXPECT_TRUE(dialog->Item<QAbstractButton>(CPhoneDlg::IDC_ENABLE)->isChecked());
    ASSERT_TRUE(dialog->ClickButton(CPhoneDlg::IDC_ENABLE));
    EXPECT_EQ(CPhoneDlg::Service(), nullptr);
    CPhoneDlg::StartIfEnabled();
    EXPECT_EQ(CPhoneDlg::Service(), nullptr) << "off is remembered too";
}

TEST_F(PhoneDlgTest, UnpairingRevokesTheChosenPhoneOnly) {
    CPhoneStore store((db.Directory() / "config" / "coffer").string());
    std::string first;
    std::string second;
    const std::string token = store.Pair("root", "妈妈的手机", QDateTime::currentSecsSinceEpoch(), first);
    store.Pair("root", "爸爸的手机", QDateTime::currentSecsSinceEpoch(), second);
    auto dialog = std::make_unique<CPhoneDlg>();
    ASSERT_TRUE(dialog->Create());
    auto* phones = dialog->Item<ui::ListCtrl>(CPhoneDlg::IDC_PHONES);
    ASSERT_EQ(phones->GetItemCount(), 2);
    EXPECT_EQ(phones->GetItemText(0, 1), "妈妈的手机");
    EXPECT_EQ(phones->GetItemText(0, 0), "root");
    dialog->ClickButton(CPhoneDlg::IDC_UNPAIR);
    EXPECT_EQ(m_messages.Take(), (std::vector<std::string>{"请先选择一部手机！"}));
    phones->SetSelected(0, true);
    dialog->ClickButton(CPhoneDlg::IDC_UNPAIR);
    ASSERT_EQ(phones->GetItemCount(), 1);
    EXPECT_EQ(phones->GetItemText(0, 1), "爸爸的手机");
    CPhoneStore::Device device;
    EXPECT_FALSE(store.FindByToken(token, device)) << "the unpaired phone's token opens nothing";
    EXPECT_EQ(store.Devices().size(), 1u);
}

} // namespace
