#include "plan/BudgetView.h"

#include "controls/ReportCtrl.h"
#include "plan/BudgetReport.h"
#include "data/Cents.h"
#include "platform/ui/DateTimePicker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kShareColumn = 4;
constexpr int kRemainingColumn = 3;

// Paints the share used as a bar behind its percentage; over budget when 剩余 is negative.
class ShareBar : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString text = index.data().toString();
        const bool over =
            index.siblingAtColumn(kRemainingColumn).data().toString().startsWith(QLatin1Char('-'));
        const double share = std::min(1.0, text.chopped(1).toDouble() / 100.0);
        const QRect frame = option.rect.adjusted(3, 3, -3, -3);
        painter->save();
        painter->setPen(QColor(0xB0, 0xB0, 0xB0));
        painter->drawRect(frame.adjusted(0, 0, -1, -1));
        QRect bar = frame.adjusted(1, 1, -1, -1);
        bar.setWidth(static_cast<int>(bar.width() * std::max(0.0, share)));
        painter->fillRect(bar, over ? QColor(0xD9, 0x45, 0x3F) : QColor(0x5C, 0xA8, 0x5C));
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(frame, Qt::AlignCenter, text);
        painter->restore();
    }
};

std::string Percent(const BudgetRow& row) {
    return std::to_string(static_cast<long long>(std::llround(row.Share() * 100.0))) + "%";
}

} // namespace

CBudgetView::CBudgetView(QWidget* parent, CADODatabase& db)
    : QWidget(parent), m_db(db), m_dtMonth(new ui::DateTimePicker(this)),
      m_listBudget(new CReportCtrl(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("月份"), this));
    m_dtMonth->setDisplayFormat(QStringLiteral("yyyy年M月"));
    m_dtMonth->setCalendarPopup(false);
    top->addWidget(m_dtMonth);
    top->addStretch();
    layout->addLayout(top);
    layout->addWidget(m_listBudget);
    m_listBudget->setAccessibleName(QStringLiteral("预算执行"));

    const int width = fontMetrics().horizontalAdvance(QStringLiteral("0")) * 2;
    m_listBudget->InsertColumn(0, "支出项目", ui::LVCFMT_LEFT, width * 10);
    m_listBudget->InsertColumn(1, "预算", ui::LVCFMT_RIGHT, width * 8);
    m_listBudget->InsertColumn(2, "已支出", ui::LVCFMT_RIGHT, width * 8);
    m_listBudget->InsertColumn(3, "剩余", ui::LVCFMT_RIGHT, width * 8);
    m_listBudget->InsertColumn(kShareColumn, "使用", ui::LVCFMT_LEFT, width * 14);
    m_listBudget->setItemDelegateForColumn(kShareColumn, new ShareBar(m_listBudget));

    connect(m_dtMonth, &QDateEdit::dateChanged, this, &CBudgetView::ShowMonth);
    const COleDateTime now = COleDateTime::GetCurrentTime();
    const QDate today(now.GetYear(), now.GetMonth(), 1);
    {
        const QSignalBlocker quiet(m_dtMonth);
        m_dtMonth->setDate(today);
    }
    ShowMonth(today);
}

void CBudgetView::ShowMonth(const QDate& month) {
    m_listBudget->DeleteAllItems();
    const COleDateTime first(month.year(), month.month(), 1, 0, 0, 0);
    for (const BudgetRow& row : CBudgetReport::Month(m_db, first))
        m_listBudget->InsertItem(m_listBudget->GetItemCount(), row.strCategory,
                                 CCents::Text(row.nBudget), row.spent.Text(),
                                 row.Remaining().Text(), Percent(row));
}

std::vector<std::vector<std::string>> CBudgetView::Cells() const {
    std::vector<std::vector<std::string>> cells;
    for (int row = 0; row < m_listBudget->GetItemCount(); ++row) {
        cells.emplace_back();
        for (int column = 0; column <= kShareColumn; ++column)
            cells.back().push_back(m_listBudget->GetItemText(row, column));
    }
    return cells;
}
