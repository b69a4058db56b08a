#include "exchange/RecordExport.h"

#include "exchange/CellText.h"
#include "exchange/CsvWriter.h"
#include "exchange/RecordText.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <system_error>

namespace {

constexpr int kColumns = 6;
constexpr int kAmountColumn = 1;
constexpr int kDateColumn = 3;

// Roughly how many character cells a text takes in a spreadsheet column: wide (CJK) ones
// count twice. Lines of a note count separately.
double DisplayWidth(const std::string& text) {
    double width = 0, widest = 0;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            widest = std::max(widest, width);
            width = 0;
            ++i;
            continue;
        }
        const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2.0 : 1.0;
        i += length;
    }
    return std::max(widest, width);
}

// The account and receipts' columns come only with records that have accounts or receipts: a
// ledger that keeps neither exports what it always did.
bool AnyAccount(const std::vector<ExchangeRecord>& records) {
    return std::any_of(records.begin(), records.end(),
                       [](const ExchangeRecord& record) { return !record.strAccount.empty(); });
}

bool AnyPictures(const std::vector<ExchangeRecord>& records) {
    return std::any_of(records.begin(), records.end(),
                       [](const ExchangeRecord& record) { return record.nPictures > 0; });
}

} // namespace

bool ExportRecordsCsv(const std::filesystem::path& path, const std::vector<ExchangeRecord>& records,
                      std::string& strError) {
    const bool bPictures = AnyPictures(records);
    CCsvWriter writer;
    if (!writer.Open(path)) {
        strError = writer.GetLastError();
        return false;
    }
    const bool bAccounts = AnyAccount(records);
    std::vector<std::string> headings(std::begin(kExportHeadings), std::end(kExportHeadings));
    if (bAccounts)
        headings.push_back(kAccountHeading);
    if (bPictures)
        headings.push_back(kPicturesHeading);
    writer.WriteRow(headings);
    std::vector<std::string> fields;
    for (const ExchangeRecord& record : records) {
        fields = {record.strId,
                  FormatAmount(record.dAmount),
                  GuardFormula(record.strMember),
                  FormatRecordDate(record.dtRecord),
                  GuardFormula(record.strItem),
                  GuardFormula(record.strNote)};
        if (bAccounts)
            fields.push_back(GuardFormula(record.strAccount));
        if (bPictures)
            fields.push_back(std::to_string(record.nPictures));
        writer.WriteRow(fields);
    }
    if (!writer.Commit()) {
        strError = writer.GetLastError();
        return false;
    }
    return true;
}

bool ExportRecordsXlsx(const std::filesystem::path& path, const std::vector<ExportSheet>& sheets,
                       std::string& strError) {
    // Written beside the target and moved into place whole, as the CSV is.
    std::filesystem::path temp = path;
    temp += ".part";
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE; // rows go out as they are written
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(temp.c_str(), &options);
    if (workbook == nullptr) {
        strError = path.string() + ": 无法创建文件";
        return false;
    }
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_format* amount = workbook_add_format(workbook);
    format_set_num_format(amount, "0.00");
    lxw_format* boldAmount = workbook_add_format(workbook);
    format_set_bold(boldAmount);
    format_set_num_format(boldAmount, "0.00");
    lxw_format* date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd hh:mm:ss");

    lxw_error error = LXW_NO_ERROR;
    const auto keep = [&error](lxw_error result) {
        if (error == LXW_NO_ERROR)
            error = result;
    };
    for (const ExportSheet& sheet : sheets) {
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, sheet.strName.c_str());
        if (worksheet == nullptr) {
            keep(LXW_ERROR_SHEETNAME_ALREADY_USED);
            break;
        }
        const std::vector<ExchangeRecord>& records = *sheet.pRecords;
        // The six stored columns, then 账户 and 凭证 where some record has one.
        const bool bAccounts = AnyAccount(records);
        const int nAccountColumn = bAccounts ? kColumns : -1;
        const int nPicturesColumn = AnyPictures(records) ? kColumns + (bAccounts ? 1 : 0) : -1;
        const int nColumns = std::max({kColumns, nAccountColumn + 1, nPicturesColumn + 1});
        const auto heading = [nAccountColumn](int c) {
            return c < kColumns          ? kExportHeadings[c]
                   : c == nAccountColumn ? kAccountHeading
                                         : kPicturesHeading;
        };
        std::array<double, kColumns + 2> widths = {};
        for (int c = 0; c < nColumns; ++c)
            widths[c] = DisplayWidth(heading(c));
        widths[kDateColumn] = 19;
        for (const ExchangeRecord& record : records) {
            widths[0] = std::max(widths[0], DisplayWidth(record.strId));
            widths[kAmountColumn] = std::max(
                widths[kAmountColumn], 4.0 + DisplayWidth(FormatAmount(std::abs(record.dAmount))));
            widths[2] = std::max(widths[2], DisplayWidth(record.strMember));
            widths[4] = std::max(widths[4], DisplayWidth(record.strItem));
            widths[5] = std::max(widths[5], DisplayWidth(record.strNote));
            if (bAccounts)
                widths[nAccountColumn] =
                    std::max(widths[nAccountColumn], DisplayWidth(record.strAccount));
        }
        for (int c = 0; c < nColumns; ++c)
            keep(worksheet_set_column(worksheet, lxw_col_t(c), lxw_col_t(c),
                                      std::min(widths[c], 60.0) + 2, nullptr));

        for (int c = 0; c < nColumns; ++c)
            keep(worksheet_write_string(worksheet, 0, lxw_col_t(c), heading(c), bold));
        worksheet_freeze_panes(worksheet, 1, 0);
        lxw_row_t row = 1;
        double sum = 0;
        for (const ExchangeRecord& record : records) {
            keep(worksheet_write_string(worksheet, row, 0, record.strId.c_str(), nullptr));
            keep(worksheet_write_number(worksheet, row, kAmountColumn, record.dAmount, amount));
            keep(worksheet_write_string(worksheet, row, 2, record.strMember.c_str(), nullptr));
            if (record.dtRecord.GetStatus() == COleDateTime::valid)
                keep(worksheet_write_number(worksheet, row, kDateColumn,
                                            record.dtRecord.GetOleDate(), date));
            keep(worksheet_write_string(worksheet, row, 4, record.strItem.c_str(), nullptr));
            if (!record.strNote.empty())
                keep(worksheet_write_string(worksheet, row, 5, record.strNote.c_str(), nullptr));
            if (!record.strAccount.empty())
                keep(worksheet_write_string(worksheet, row, lxw_col_t(nAccountColumn),
                                            record.strAccount.c_str(), nullptr));
            // A count for every record, none as 0, as the CSV has it.
            if (nPicturesColumn >= 0)
                keep(worksheet_write_number(worksheet, row, lxw_col_t(nPicturesColumn),
                                            record.nPictures, nullptr));
            sum += record.dAmount;
            ++row;
        }
        keep(worksheet_write_string(worksheet, row, 0, "合计", bold));
        // An empty list sums nothing: a SUM over its own cell would be circular.
        if (records.empty()) {
            keep(worksheet_write_number(worksheet, row, kAmountColumn, 0, boldAmount));
        } else {
            const std::string formula = "=SUM(B2:B" + std::to_string(row) + ")";
            keep(worksheet_write_formula_num(worksheet, row, kAmountColumn, formula.c_str(),
                                             boldAmount, sum));
        }
    }
    keep(workbook_close(workbook));
    std::error_code ec;
    if (error == LXW_NO_ERROR) {
        std::filesystem::rename(temp, path, ec);
        if (!ec)
            return true;
        strError = path.string() + ": " + ec.message();
    } else {
        strError = path.string() + ": " + lxw_strerror(error);
    }
    std::filesystem::remove(temp, ec);
    return false;
}
