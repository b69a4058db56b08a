#pragma once

#include "data/ADODatabase.h"
#include "plan/RecurringTemplate.h"
#include "platform/ui/Dialog.h"

#include <vector>

class CReportCtrl;
class QComboBox;

namespace ui {
class DateTimePicker;
}

/// 周期记账: the templates of records that come by themselves. A click on a template puts
/// it in the fields below; 添加 stores the fields as a new template, 更改 over the chosen
/// one, 删除 removes it (its records stay).
class CRecurringDlg : public ui::Dialog {
public:
    enum { IDD = 144 };
    enum ControlId {
        IDC_TEMPLATES = 1140,
        IDC_EXPENSE = 1141,
        IDC_INCOME = 1142,
        IDC_MEMBER = 1018,
        IDC_ITEM = 1019,
        IDC_AMOUNT = 1143,
        IDC_MONTHLY = 1144,
        IDC_WEEKLY = 1145,
        IDC_YEARLY = 1146,
        IDC_DAY = 1147,
        IDC_AUTOMATIC = 1153,
        IDC_FIRST = 1148,
        IDC_LAST_CHECK = 1149,
        IDC_LAST = 1152,
        IDC_NOTE = 1025,
        IDC_ADD = 1016,
        IDC_CHANGE = 1003,
        IDC_DELETE = 1002,
    };

    explicit CRecurringDlg(QWidget* parent = nullptr);
    ~CRecurringDlg() override;

    const std::vector<RecurringTemplate>& GetTemplates() const { return m_templates; }

protected:
    bool OnInitDialog() override;

    void OnTemplateClick();
    void OnKindChange();
    void OnRuleChange();
    void OnAdd();
    void OnChange();
    void OnDelete();

private:
    /// The fields as a template; false (after saying why) when they do not make one.
    bool ReadFields(RecurringTemplate& tmpl);
    void ShowFields(const RecurringTemplate& tmpl);
    void FillDays(RecurrenceKind kind);
    void Store(RecurringTemplate tmpl);
    void Reload();
    long SelectedId() const;

    CADODatabase m_db;
    CReportCtrl* m_listTemplates;
    QComboBox* m_cbMember = nullptr;
    QComboBox* m_cbItem = nullptr;
    QComboBox* m_cbDay = nullptr;
    ui::DateTimePicker* m_dtFirst = nullptr;
    ui::DateTimePicker* m_dtLast = nullptr;
    std::vector<RecurringTemplate> m_templates;
};
