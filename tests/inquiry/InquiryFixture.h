#pragma once

#include "controls/ReportCtrl.h"
#include "inquiry/InquiryDlg.h"
#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

/// A fresh data.mdb, "now" fixed at Wednesday 17 November 2010 09:30, message boxes recorded.
class InquiryFixture : public ::testing::Test {
protected:
    static constexpr int kAccountColumn = 5; // after the listing's own five
    static constexpr int kPicturesColumn = 6; // 凭证, after 账户
    InquiryFixture() {
        ole::SetClock([] { return COleDateTime(2010, 11, 17, 9, 30, 0); });
    }
    ~InquiryFixture() override { ole::ResetClock(); }

    void AddIncome(int id, const char* member, double amount, const char* date, const char* item) {
        AddRecord("normalIncome", id, member, amount, date, item);
    }
    void AddPay(int id, const char* member, double amount, const char* date, const char* item) {
        AddRecord("normalPay", id, member, amount, date, item);
    }

    static CReportCtrl& List(CInquiryDlg& dlg) {
        return *dlg.Item<CReportCtrl>(dlg.GetResultListId());
    }
    /// The listing's five columns of each row. The records of these tests have no account and
    /// no receipts, so the 账户 and 凭证 columns after them are empty on every row.
    static std::vector<std::vector<std::string>> Rows(CInquiryDlg& dlg) {
        CReportCtrl& list = List(dlg);
        std::vector<std::vector<std::string>> rows;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            rows.emplace_back();
            for (int column = 0; column < kAccountColumn; ++column)
                rows.back().push_back(list.GetItemText(row, column));
            EXPECT_EQ(list.GetItemText(row, kAccountColumn), "") << "row " << row;
            EXPECT_EQ(list.GetItemText(row, kPicturesColumn), "") << "row " << row;
        }
        return rows;
    }
    /// Column 0 of every row, in number order: the store decides the order of the rows.
    static std::vector<std::string> Ids(CInquiryDlg& dlg) {
        std::vector<std::string> ids;
        for (const auto& row : Rows(dlg))
            ids.push_back(row[0]);
        std::sort(ids.begin(), ids.end(), [](const std::string& a, const std::string& b) {
            return std::stoi(a) < std::stoi(b);
        });
        return ids;
    }
    /// The row whose column 0 reads `id`; empty when there is none.
    static std::vector<std::string> RowOf(CInquiryDlg& dlg, const std::string& id) {
        for (const auto& row : Rows(dlg))
            if (row[0] == id)
                return row;
        return {};
    }
    static void SetMember(CInquiryDlg& dlg, bool on, const char* text) {
        dlg.Item<QCheckBox>(CInquiryDlg::IDC_MEMBER_CHECK)->setChecked(on);
        dlg.Item<QComboBox>(CInquiryDlg::IDC_MEMBER)->setEditText(QString::fromUtf8(text));
    }
    static void SetItem(CInquiryDlg& dlg, bool on, const char* text) {
        dlg.Item<QCheckBox>(CInquiryDlg::IDC_ITEM_CHECK)->setChecked(on);
        dlg.Item<QComboBox>(CInquiryDlg::IDC_ITEM)->setEditText(QString::fromUtf8(text));
    }
    static void SetInterval(CInquiryDlg& dlg, const COleDateTime& from, const COleDateTime& to) {
        dlg.Item<ui::DateTimePicker>(CInquiryDlg::IDC_FROM)->SetTime(from);
        dlg.Item<ui::DateTimePicker>(CInquiryDlg::IDC_TO)->SetTime(to);
    }

    /// With COFFER_SCREENSHOTS set, the window is saved there to be looked at.
    static void Shoot(ui::Dialog& dialog, const char* file) {
        if (const char* folder = std::getenv("COFFER_SCREENSHOTS")) {
            dialog.show();
            dialog.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(file));
        }
    }

    testing_support::TestDb m_db;
    ui::MessageRecorder m_messages;

private:
    void AddRecord(const char* table, int id, const char* member, double amount, const char* date,
                   const char* item) {
        const bool income = std::string(table) == "normalIncome";
        const std::string columns = income ? "(编号, 收入人员, 收入金额, 收入日期, 收入项目)"
                                           : "(编号, 支出人员, 支出金额, 支出日期, 支出项目)";
        const auto quoted = [](std::string text) {
            for (size_t at = text.find('\''); at != std::string::npos; at = text.find('\'', at + 2))
                text.insert(at, 1, '\'');
            return "'" + text + "'";
        };
        const std::string dateValue = date != nullptr ? quoted(date) : "NULL";
        m_db.Exec("INSERT INTO " + std::string(table) + " " + columns + " VALUES (" +
                  std::to_string(id) + ", " + quoted(member) + ", " + std::to_string(amount) + ", " +
                  dateValue + ", " + quoted(item) + ")");
    }
};
