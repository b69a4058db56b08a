// The about box, and the two ways the main window opens it.
#include "app/AboutDlg.h"
#include "app/CofferDlg.h"
#include "platform/ui/ModalScript.h"
#include "platform/ui/PopupScript.h"
#include "platform/ui/UrlRecorder.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> LabelTexts(const QWidget& dialog) {
    std::vector<std::string> texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts.push_back(label->text().toStdString());
    return texts;
}

TEST(AboutDlgTest, ShowsTheProductLineAndTheLink) {
    CAboutDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.windowTitle().toStdString(), "关于 Coffer");
    const std::vector<std::string> texts = LabelTexts(dlg);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "银匣\u3000V1.0"), texts.end());
    EXPECT_EQ(dlg.GetDlgItemText(CAboutDlg::IDC_HOMEPAGE), "岚舟主页");
    // The licence's line, read whole.
    const QList<QLabel*> labels = dlg.findChildren<QLabel*>();
    const auto licence = std::find_if(labels.begin(), labels.end(), [](const QLabel* label) {
        return label->text() == QStringLiteral("许可：GPL 3.0 或更高版本");
    });
    ASSERT_NE(licence, labels.end());
    EXPECT_LE((*licence)->sizeHint().width(), (*licence)->width());
    EXPECT_EQ(dlg.GetDlgItem(CAboutDlg::IDC_HOMEPAGE)->property("skin").toString(),
              QStringLiteral("linkstatic"));
    EXPECT_EQ(dlg.property("skin").toString(), QStringLiteral("aboutdialog"));
    EXPECT_EQ(dlg.GetDefID(), ui::IDOK);
    bool hasIcon = false;
    for (const QLabel* label : dlg.findChildren<QLabel*>())
        hasIcon = hasIcon || !label->pixmap().isNull();
    EXPECT_TRUE(hasIcon);
}

TEST(AboutDlgTest, TheLinkOpensTheHomePageAndTheBoxStaysOpen) {
    ui::UrlRecorder browser;
    ui::ModalScript script;
    bool openAfterClicks = false;
    script.Then([&](ui::Dialog& d) {
        auto* link = d.Item<QLabel>(CAboutDlg::IDC_HOMEPAGE);
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton);
        openAfterClicks = d.result() == -1; // no handler ended the run
        d.ClickButton(ui::IDOK);
        return ui::IDCANCEL;
    });
    CAboutDlg dlg;
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_TRUE(openAfterClicks);
    EXPECT_EQ(browser.urls, (std::vector<std::string>{CAboutDlg::kHomePage, CAboutDlg::kHomePage}));
}

TEST(AboutDlgTest, OpensFromTheAboutButtonAndFromTheWindowMenu) {
    ui::PopupScript popups;
    popups.Choose(CCofferDlg::IDM_ABOUTBOX);
    ui::ModalScript script;
    script.Then([](ui::Dialog& main) {
        main.ClickButton(CCofferDlg::IDC_ABOUT);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(30, 30), QPoint(130, 230));
        QApplication::sendEvent(&main, &menu);
        return ui::IDCANCEL;
    });
    std::vector<std::string> captions;
    for (int i = 0; i < 2; ++i)
        script.Then([&](ui::Dialog& about) {
            captions.push_back(about.windowTitle().toStdString());
            return ui::IDOK;
        });
    CCofferDlg dlg;
    dlg.DoModal();
    EXPECT_EQ(script.Runs(), (std::vector<int>{102, 100, 100}));
    EXPECT_EQ(captions, (std::vector<std::string>{"关于 Coffer", "关于 Coffer"}));
    EXPECT_EQ(popups.Shown(), std::vector<std::vector<std::string>>{{"关于 Coffer(&A)..."}});
}

} // namespace
