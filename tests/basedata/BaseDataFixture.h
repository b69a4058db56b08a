#pragma once

#include "basedata/BaseDataDlg.h"
#include "controls/ReportCtrl.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace basedata_test {

using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

inline constexpr const char* kNull = testing_support::TestDb::kNull;

inline const Texts kMembers = {"爸爸", "妈妈", "孩子"};

// The dialog on a fresh starter database, driven as a user drives it.
struct BaseDataFixture : ::testing::Test {
    BaseDataFixture() { Open(); }

    void Open() {
        dialog = std::make_unique<CBaseDataDlg>();
        ASSERT_TRUE(dialog->Create());
        dialog->resize(dialog->sizeHint().expandedTo(dialog->size()));
        dialog->show();
        tables = dialog->Item<ui::ListCtrl>(CBaseDataDlg::IDC_TABLES);
        entries = dialog->Item<CReportCtrl>(CBaseDataDlg::IDC_ENTRIES);
        ASSERT_NE(tables, nullptr);
        ASSERT_NE(entries, nullptr);
    }

    // A left click on a row, or below the last row for −1.
    static void ClickRow(ui::ListCtrl* list, int row) {
        QPoint pos;
        if (row >= 0) {
            list->scrollTo(list->GetListModel()->index(row, 0));
            pos = list->visualRect(list->GetListModel()->index(row, 0)).center();
        } else {
            pos = QPoint(10, list->viewport()->height() - 3);
        }
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pos);
    }
    void ShowTable(const std::string& name) {
        for (int row = 0; row < tables->GetItemCount(); ++row)
            if (tables->GetItemText(row, 0) == name)
                return ClickRow(tables, row);
        FAIL() << "no table " << name;
    }
    void SelectEntry(const std::string& text) {
        for (int row = 0; row < entries->GetItemCount(); ++row)
            if (entries->GetItemText(row, 0) == text)
                return ClickRow(entries, row);
        FAIL() << "no entry " << text;
    }
    void Type(const std::string& type, const std::string& remark) {
        dialog->Item<QLineEdit>(CBaseDataDlg::IDC_TYPE)->setText(QString::fromStdString(type));
        dialog->Item<QLineEdit>(CBaseDataDlg::IDC_REMARK)->setText(QString::fromStdString(remark));
    }
    Rows Shown() const {
        Rows rows;
        for (int row = 0; row < entries->GetItemCount(); ++row)
            rows.push_back({entries->GetItemText(row, 0), entries->GetItemText(row, 1)});
        return rows;
    }
    Texts ShownTypes() const {
        Texts texts;
        for (int row = 0; row < entries->GetItemCount(); ++row)
            texts.push_back(entries->GetItemText(row, 0));
        return texts;
    }
    // 类型 and 备注 in the order the table returns them.
    Rows Stored(const std::string& table) const {
        return db.Query("select 类型, 备注 from \"" + table + "\" order by ID");
    }
    Texts StoredTypes(const std::string& table) const {
        Texts texts;
        for (const auto& row : Stored(table))
            texts.push_back(row[0]);
        return texts;
    }
    Rows Snapshot(const std::string& table) const {
        return db.Query("select ID, * from \"" + table + "\" order by ID");
    }

    testing_support::TestDb db;
    ui::MessageRecorder messages;
    std::unique_ptr<CBaseDataDlg> dialog;
    ui::ListCtrl* tables = nullptr;
    CReportCtrl* entries = nullptr;
};

} // namespace basedata_test
