#pragma once

#include "platform/ole/OleDateTime.h"

#include <optional>
#include <string>

class QWidget;
struct RecordTable;

/// What an accepted record editor wrote, for refreshing the row that opened it.
struct EditedRecord {
    double dAmount = 0.0;
    std::string strMember;
    std::string strItem;
    COleDateTime dtRecord;
};

/// Everything in which the income and expense inquiry dialogs differ. The dialogs share one
/// implementation (CInquiryDlg) and each names its table below.
struct InquiryTwin {
    int nTemplateId;
    int nListId;
    const char* szItemTable; // fills the category combo

    // Headings of list columns 2, 3 and 4.
    const char* szMemberHeading;
    const char* szDateHeading;
    const char* szItemHeading;

    // The date query: head + lower + middle + upper + "#", then the conditions.
    const char* szStatementHead;
    const char* szQuickMiddle;
    const char* szIntervalMiddle;
    const char* szMemberCondition;
    const char* szItemCondition;

    // Date cells: the expense list has long shown the hour without 时 except for 今年.
    const char* szQuickDatePattern;
    const char* szYearDatePattern;
    const char* szEditedDatePattern;

    // Row actions.
    int nPopup; // of menu 129
    int nEditCommand;
    int nDeleteCommand;
    const char* szRecordStatement; // %s: the record number
    /// Runs the record editor for the record number modally over `parent`; the values it
    /// wrote when it ended as accepted.
    std::optional<EditedRecord> (*RunEditor)(QWidget* parent, const std::string& strId);

    // Export of the listed records.
    const RecordTable* pRecords;
    // Listing a preset span: the records table and its columns by name.
    const char* szTable;
    const char* szDateColumn;
    const char* szMemberColumn;
    const char* szItemColumn;
};

extern const InquiryTwin kIncomeInquiry;
extern const InquiryTwin kPayInquiry;
