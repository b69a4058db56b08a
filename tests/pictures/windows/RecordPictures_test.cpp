// The 凭证 strip of the record windows and the viewer, driven as a user does: choose a file,
// paste, drop, click a thumbnail, delete after the question; on both engines.
#include "records/NormalIncomEditDlg.h"
#include "records/NormalIncomeDlg.h"
#include "records/NormalPayDlg.h"
#include "records/PayEditDlg.h"

#include "pictures/PicturePrep.h"
#include "pictures/PictureStrip.h"
#include "pictures/PictureTexts.h"
#include "pictures/PictureViewer.h"
#include "platform/ui/FileDialogScript.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "tests/pictures/PictureFiles.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

namespace {

using testing_support::TestDb;
using namespace picture_files;

constexpr int kStrip = 1091;
constexpr int kAddPicture = 1092;
constexpr int kDeletePicture = 1093;

struct Twin {
    const char* name;
    std::function<std::unique_ptr<CRecordEditDlg>()> makeEdit;
    std::function<std::unique_ptr<CRecordEntryDlg>()> makeEntry;
    const char* table;
    int amountId;
    int addId; // the entry window's 添加
};

const Twin kTwins[] = {
    {"Income", [] { return std::make_unique<CNormalIncomEditDlg>(); },
     [] { return std::make_unique<CNormalIncomeDlg>(); }, "normalIncome", 1020, 1016},
    {"Pay", [] { return std::make_unique<CPayEditDlg>(); },
     [] { return std::make_unique<CNormalPayDlg>(); }, "normalPay", 1026, 1016},
};

void PrintTo(const Twin& twin, std::ostream* out) { *out << twin.name; }

class RecordPicturesTest : public testing::TestWithParam<Twin> {
protected:
    RecordPicturesTest() {
        m_db.Exec(std::string("insert into ") + GetParam().table +
                  " values (7, '妈妈', 12.5, '2010-11-13 07:17:07', '其他', '午饭')");
    }

    std::string File(const char* name, const std::string& bytes) const {
        const std::string path = (m_db.Directory() / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string Receipt(const char* name, QColor colour) const {
        return File(name, Encode(Halves(300, 200, colour, Qt::white), "jpeg"));
    }
    std::unique_ptr<CRecordEditDlg> Edit(const std::string& id = "7") {
        auto dialog = GetParam().makeEdit();
        dialog->m_strId = id;
        EXPECT_TRUE(dialog->Create());
        return dialog;
    }
    static CPictureStrip* Strip(const ui::Dialog& dialog) {
        return dialog.Item<CPictureStrip>(kStrip);
    }
    std::string Links() const {
        return m_db.Scalar(std::string("select count(*) from pictureLink where 表 = '") +
                           GetParam().table + "'");
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
    ui::FileDialogScript m_files;
    ui::ModalScript m_modal;
};

TEST_P(RecordPicturesTest, TheEditWindowAddsFromTheChooserAndDeletesOnlyWhenTheUserSaysSo) {
    auto dialog = Edit();
    ASSERT_NE(Strip(*dialog), nullptr);
    EXPECT_EQ(Strip(*dialog)->accessibleName().toStdString(), CPictureTexts::kLabel);
    m_files.Answer(ui::FileDialogAnswer{Receipt("小票.jpg", Qt::red)});
    m_files.Answer(ui::FileDialogAnswer{Receipt("发票.jpg", Qt::blue)});
    dialog->ClickButton(kAddPicture);
    dialog->ClickButton(kAddPicture);
    ASSERT_EQ(m_files.Requests().size(), 2u);
    EXPECT_EQ(m_files.Requests()[0].filters.at(0), CPictureTexts::kChooseFilter);
    EXPECT_EQ(Strip(*dialog)->count(), 2);
    EXPECT_EQ(Links(), "2");
    EXPECT_TRUE(m_messages.Texts().empty());

    Strip(*dialog)->setCurrentRow(0);
    m_messages.Answer(ui::IDNO);
    dialog->ClickButton(kDeletePicture);
    EXPECT_EQ(m_messages.Questions(), std::vector<std::string>{CPictureTexts::kDeleteQuestion});
    EXPECT_EQ(Links(), "2");
    m_messages.Answer(ui::IDYES);
    dialog->ClickButton(kDeletePicture);
    EXPECT_EQ(Links(), "1");
    EXPECT_EQ(m_db.Scalar("select count(*) from pictureStore"), "1");
    EXPECT_EQ(Strip(*dialog)->count(), 1);

    // Opened again, the window shows what the ledger holds.
    EXPECT_EQ(Strip(*Edit())->count(), 1);
    EXPECT_EQ(Strip(*Edit("8"))->count(), 0) << "no record, no pictures";
}

TEST_P(RecordPicturesTest, ARefusedFileIsToldAndNothingIsStored) {
    auto dialog = Edit();
    m_files.Answer(ui::FileDialogAnswer{File("笔记.jpg", "只是几个字")});
    dialog->ClickButton(kAddPicture);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{CPicturePrep::kUnreadableMessage});
    EXPECT_EQ(Links(), "0");
    EXPECT_EQ(Strip(*dialog)->count(), 0);
}

TEST_P(RecordPicturesTest, PastingAndDroppingAttachToo) {
    auto dialog = Edit();
    QApplication::clipboard()->setImage(Halves(200, 100, Qt::green, Qt::white));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(Strip(*dialog), &paste);
    EXPECT_EQ(Links(), "1");

    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(Receipt("拖.jpg", Qt::red)))});
    EXPECT_TRUE(Strip(*dialog)->AddFrom(&dropped));
    EXPECT_EQ(Links(), "2");
    EXPECT_EQ(Strip(*dialog)->count(), 2);

    QApplication::clipboard()->setText("不是图片");
    QApplication::sendEvent(Strip(*dialog), &paste);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{CPictureTexts::kNothingToPaste});
    EXPECT_EQ(Links(), "2");
}

TEST_P(RecordPicturesTest, TheEntryWindowAttachesToTheRecordItAddsAndStartsTheNextOneWithout) {
    auto dialog = GetParam().makeEntry();
    ASSERT_TRUE(dialog->Create());
    const std::string receipt = Receipt("小票.jpg", Qt::red);
    ASSERT_TRUE(Strip(*dialog)->AddFile(receipt));
    ASSERT_TRUE(Strip(*dialog)->AddFile(receipt)) << "the same picture is held once";
    ASSERT_TRUE(Strip(*dialog)->AddFile(Receipt("发票.jpg", Qt::blue)));
    EXPECT_EQ(Strip(*dialog)->count(), 2);
    EXPECT_EQ(Links(), "0") << "nothing is written before the record";

    dialog->SetDlgItemText(GetParam().amountId, "30");
    dialog->ClickButton(GetParam().addId);
    // The one record without a note (a server's numbering need not follow record 7).
    const std::string added =
        m_db.Scalar(std::string("select 编号 from ") + GetParam().table + " where 备注 is null");
    EXPECT_EQ(m_db.Scalar(std::string("select count(*) from pictureLink where 编号 = ") + added),
              "2");
    EXPECT_EQ(Strip(*dialog)->count(), 0);
    dialog->ClickButton(GetParam().addId);
    EXPECT_EQ(Links(), "2") << "the next record has none";
}

TEST_P(RecordPicturesTest, AClickOpensThePictureToTurnAndSave) {
    auto dialog = Edit();
    m_files.Answer(ui::FileDialogAnswer{Receipt("小票.jpg", Qt::red)});
    dialog->ClickButton(kAddPicture);
    const std::string asStored = (m_db.Directory() / "原样.jpg").string();
    const std::string turned = (m_db.Directory() / "转过.jpg").string();
    m_files.Answer(ui::FileDialogAnswer{asStored});
    m_files.Answer(ui::FileDialogAnswer{turned});
    std::string shown;
    m_modal.Then([&](ui::Dialog& viewer) {
        EXPECT_EQ(viewer.TemplateId(), CPictureViewer::IDD);
        for (int id : {2502, 2503, 2504, 2505})
            EXPECT_FALSE(viewer.GetDlgItemText(id).empty());
        viewer.ClickButton(CPictureViewer::IDC_SAVE_AS);
        viewer.ClickButton(CPictureViewer::IDC_ZOOM_IN);
        viewer.ClickButton(CPictureViewer::IDC_ROTATE);
        viewer.ClickButton(CPictureViewer::IDC_SAVE_AS);
        return ui::IDCANCEL;
    });
    Strip(*dialog)->OpenRow(0);
    EXPECT_EQ(m_modal.Runs(), std::vector<int>{CPictureViewer::IDD});
    std::ifstream in(asStored, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CPreparedPicture expected;
    std::string error;
    ASSERT_TRUE(CPicturePrep::FromFile((m_db.Directory() / "小票.jpg").string(), expected, error));
    EXPECT_EQ(saved, expected.strJpeg) << "saved byte for byte as kept";
    EXPECT_EQ(QImage(QString::fromStdString(turned)).size(), QSize(200, 300));
}

INSTANTIATE_TEST_SUITE_P(Twins, RecordPicturesTest, testing::ValuesIn(kTwins),
                         [](const testing::TestParamInfo<Twin>& param) { return param.param.name; });

} // namespace
