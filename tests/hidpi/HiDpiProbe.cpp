// hidpi_probe [SHOT-FOLDER]: shows the main window (logged in), the income inquiry
// (this year's records, sorted by date) and the login at the screen scale of the environment
// (QT_SCALE_FACTOR) and prints, one line each, what the scale test compares:
//   window <name> <width> <height> <image width> <image height>
//   control <name> <id> <x> <y> <width> <height> <room>
//   triangle <name> <colours>
// Every window of res/dialogs follows as dialog-<id>, built from its template alone.
// Sizes are in the windows' own units; <room> is the width left beside a control's text
// (negative: the text is cut; "-" for controls without text); <colours> counts the
// colours in the sort triangle's box. With a folder, each window is saved there as
// <name>@<scale>x.png.

#include "app/CofferDlg.h"
#include "controls/ReportCtrl.h"
#include "controls/ReportHeaderCtrl.h"
#include "inquiry/IncomeInquiryDlg.h"
#include "platform/ole/Clock.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/Dialog.h"
#include "tests/controls/HeadingClick.h"
#include "tests/support/TestDb.h"
#include "users/UserDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTreeWidget>

#include <cstdio>
#include <string>

namespace {

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

// The width a control leaves beside its text, the skin's padding and the indicator
// counted; "-" when it shows no text.
QString Room(QWidget* widget) {
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return QStringLiteral("-");
        const QRect box = label->contentsRect();
        if (label->wordWrap()) {
            const QRect needed =
                metrics.boundingRect(box, Qt::TextWordWrap | label->alignment(), label->text());
            return QString::number(box.height() - needed.height());
        }
        return QString::number(box.width() - metrics.horizontalAdvance(label->text()));
    }
    if (auto* check = qobject_cast<QAbstractButton*>(widget)) {
        if (check->text().isEmpty())
            return QStringLiteral("-");
        const int text = metrics.horizontalAdvance(Plain(check->text()));
        if (qobject_cast<QPushButton*>(widget) != nullptr)
            return QString::number(widget->width() - 2 * 7 - text); // border and padding
        QStyle* style = widget->style();
        const bool radio = qobject_cast<QRadioButton*>(widget) != nullptr;
        const int indicator = style->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth
                                                       : QStyle::PM_IndicatorWidth,
                                                 nullptr, widget) +
                              style->pixelMetric(radio ? QStyle::PM_RadioButtonLabelSpacing
                                                       : QStyle::PM_CheckBoxLabelSpacing,
                                                 nullptr, widget);
        return QString::number(widget->width() - indicator - text);
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return QString::number(group->width() - 2 * 8 - metrics.horizontalAdvance(group->title()));
    return QStringLiteral("-");
}

void Report(const char* name, QWidget& window, const QString& shots) {
    const QPixmap image = window.grab();
    std::printf("window %s %d %d %d %d\n", name, window.width(), window.height(), image.width(),
                image.height());
    const auto controls =
        window.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^control_")));
    for (QWidget* control : controls) {
        const QRect box = control->geometry();
        std::printf("control %s %s %d %d %d %d %s\n", name, qPrintable(control->objectName()),
                    box.x(), box.y(), box.width(), box.height(), qPrintable(Room(control)));
    }
    if (!shots.isEmpty()) {
        const QString scale = QString::number(window.devicePixelRatioF());
        image.save(QStringLiteral("%1/%2@%3x.png").arg(shots, QString::fromUtf8(name), scale));
    }
}

// The colours in the box the sort triangle of `column` is drawn in: the face and the two
// pens when it is drawn at the screen's own resolution, more when a small drawing is
// blown up and smoothed.
int TriangleColours(CReportCtrl& list, int column) {
    QHeaderView& header = list.GetReportHeader();
    const int left = header.sectionViewportPosition(column);
    const int right = left + header.sectionSize(column);
    const int o = header.height() / 4;
    const QRect box(QPoint(right - 3 * o - 1, o), QPoint(right - o - 1, header.height() - o - 1));
    const QImage image = header.viewport()->grab(box).toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

void AddIncome(testing_support::TestDb& db, int id, const char* member, double amount,
               const char* date, const char* item) {
    db.Exec("INSERT INTO normalIncome (编号, 收入人员, 收入金额, 收入日期, 收入项目) VALUES (" +
            std::to_string(id) + ", '" + member + "', " + std::to_string(amount) + ", '" + date +
            "', '" + item + "')");
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Coffer"));
    const QString shots = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    dsLoadSkin("ControlSkin", 0);
    ole::SetClock([] { return COleDateTime(2026, 11, 20, 20, 15, 0); });
    testing_support::TestDb db;
    AddIncome(db, 1, "爸爸", 8200, "2026-11-05 09:00:00", "工资");
    AddIncome(db, 2, "妈妈", 6500, "2026-11-05 10:00:00", "工资");
    AddIncome(db, 3, "爸爸", 1200, "2026-06-30 18:00:00", "奖金");
    AddIncome(db, 4, "女儿", 300.5, "2026-02-10 14:00:00", "其他");
    AddIncome(db, 5, "妈妈", 45.8, "2026-09-18 21:00:00", "利息");

    CCofferDlg main;
    main.Create();
    main.SetDlgItemText(CCofferDlg::IDC_STATUS, "root");
    main.BuildNavigationTree();
    main.EnableItem(CCofferDlg::IDC_SETTINGS, true);
    main.Item<QTreeWidget>(CCofferDlg::IDC_NAV_TREE)->expandAll();
    main.show();

    CIncomeInquiryDlg inquiry;
    inquiry.Create();
    inquiry.SendCommand(CInquiryDlg::IDC_THIS_YEAR);
    inquiry.show();
    auto& list = *inquiry.Item<CReportCtrl>(inquiry.GetResultListId());
    ClickHeading(list, 3);
    QApplication::processEvents();

    CUserDlg login;
    login.Create();
    login.show();
    QApplication::processEvents();

    Report("main-window", main, shots);
    Report("inquiry", inquiry, shots);
    Report("login", login, shots);
    // Every other window as its template lays it out, new ones included.
    const QStringList templates =
        QDir(QStringLiteral(":/res/dialogs")).entryList({QStringLiteral("*.dlg")});
    for (const QString& file : templates) {
        ui::Dialog dialog(file.section(QLatin1Char('.'), 0, 0).toInt());
        if (!dialog.Create())
            continue;
        dialog.show();
        QApplication::processEvents();
        Report(qPrintable(QStringLiteral("dialog-") + file.section(QLatin1Char('.'), 0, 0)), dialog,
               QString());
    }
    std::printf("triangle inquiry %d\n", TriangleColours(list, 3));
    return 0;
}
