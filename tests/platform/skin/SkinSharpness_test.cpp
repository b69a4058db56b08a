#include "platform/skin/SkinEngine.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A desktop theme that puts icons on dialog buttons, as several Linux desktops do.
class IconButtonsStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The message box as the program shows it: text, caption, 确定, no icon.
QIcon OkButtonIcon() {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Coffer"), QStringLiteral("数据添加成功！"),
                    QMessageBox::Ok);
    return box.button(QMessageBox::Ok)->icon();
}

TEST(SkinSharpnessTest, MessageBoxButtonsCarryNoThemeIcon) {
    const QString previous = QApplication::style()->name(); // setStyle deletes the old one
    QApplication::setStyle(new IconButtonsStyle);
    // Without the skin, such a theme gives the button its icon: the case being guarded.
    ASSERT_FALSE(OkButtonIcon().isNull());
    ASSERT_EQ(dsLoadSkin("ControlSkin", 0), 1);
    EXPECT_TRUE(OkButtonIcon().isNull());
    dsExitSkin();
    QApplication::setStyle(previous);
}

// Each tree image has drawings for twice and three times its size, so a scaled screen
// shows a sharp icon rather than a blown-up 16-pixel one.
class TreeImageTest : public testing::TestWithParam<const char*> {};

TEST_P(TreeImageTest, IsSharpAtTwiceAndThreeTimesTheSize) {
    QTreeWidget tree;
    auto* item = new QTreeWidgetItem(&tree, QStringList(QStringLiteral("日常收入")));
    ASSERT_EQ(dsSetDrawItemValueEx(&tree, item, 0, "icoitem", GetParam(), 0), 1);
    const QIcon icon = item->icon(0);
    const QImage base = icon.pixmap(QSize(16, 16), 1.0).toImage();
    EXPECT_EQ(base.size(), QSize(16, 16));
    for (qreal scale : {2.0, 3.0}) {
        const QPixmap pixmap = icon.pixmap(QSize(16, 16), scale);
        EXPECT_EQ(pixmap.size(), QSize(16, 16) * scale) << scale;
        // A blown-up 16-pixel image repeats each pixel; a drawing for the size does not.
        const QImage upscaled =
            base.scaled(pixmap.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        EXPECT_NE(pixmap.toImage().convertToFormat(upscaled.format()), upscaled) << scale;
    }
}

INSTANTIATE_TEST_SUITE_P(Images, TreeImageTest,
                         testing::Values("tree2.add.all", "tree2.add.income", "tree2.add.pay",
                                         "tree2.search.all"),
                         [](const auto& test) {
                             std::string name = test.param;
                             for (char& c : name)
                                 if (c == '.')
                                     c = '_';
                             return name;
                         });

// Every image of the skin and every icon (the theme's sizes aside) comes with drawings for
// twice and three times its size, of exactly those sizes.
TEST(SkinSharpnessTest, EveryImageHasItsScaledDrawings) {
    int checked = 0;
    for (const QString& folder : {QStringLiteral(":/res/skin"), QStringLiteral(":/res/icons")}) {
        const QStringList images = QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
        for (const QString& name : images) {
            if (name.contains(QLatin1Char('@')))
                continue;
            const QString base = folder + QLatin1Char('/') + name.chopped(4);
            const QSize size = QImage(base + QStringLiteral(".png")).size();
            for (int scale : {2, 3}) {
                const QImage scaled(QStringLiteral("%1@%2x.png").arg(base).arg(scale));
                EXPECT_EQ(scaled.size(), size * scale) << base.toStdString() << " @" << scale;
            }
            ++checked;
        }
    }
    EXPECT_GE(checked, 7); // the tree's images, the banner, the application icon, the face
}

} // namespace
