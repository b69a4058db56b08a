#include "tests/bills/BillWorkbooks.h"

#include <xlsxwriter.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace bill_files {
namespace {

std::filesystem::path TempPath(const char* name) {
    static int nCount = 0;
    return std::filesystem::temp_directory_path() /
           ("coffer-bill-" + std::to_string(getpid()) + "-" + std::to_string(++nCount) + name);
}

std::string ReadAndRemove(const std::filesystem::path& path) {
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(path);
    if (bytes.empty())
        throw std::runtime_error("no workbook written");
    return bytes;
}

std::string OrSlash(const std::string& text) {
    return text.empty() ? "/" : text;
}

// "2024-03-05 12:30:45" as the workbook's date and time.
lxw_datetime DateTimeOf(const std::string& text) {
    lxw_datetime when = {};
    std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%lf", &when.year, &when.month, &when.day, &when.hour,
                &when.min, &when.sec);
    return when;
}

} // namespace

std::string WeChatXlsx(const std::vector<Payment>& payments, const WorkbookStyle& style) {
    const std::filesystem::path path = TempPath(".xlsx");
    lxw_workbook_options options = {};
    options.constant_memory = style.bInlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "微信支付账单明细");
    lxw_format* timeFormat = workbook_add_format(book);
    format_set_num_format(timeFormat, "yyyy-mm-dd hh:mm:ss");
    const std::vector<std::string> preamble = {
        "微信支付账单明细", "微信昵称：[花花]",
        "起始时间：[2024-03-01 00:00:00] 终止时间：[2024-04-01 00:00:00]", "导出类型：[全部]",
        "导出时间：[2024-04-02 10:00:00]", "",
        "共" + std::to_string(payments.size()) + "笔记录", "收入：1笔 100.00元",
        "支出：3笔 200.00元", "中性交易：0笔 0.00元", "注：",
        "1. 充值/提现/理财通购买/零钱通存取/信用卡还款等交易，将计入中性交易",
        "2. 本明细仅展示当前账单中的交易，不包括已删除的记录", "3. 本明细仅供个人对账使用", "",
        "----------------------微信支付账单明细列表--------------------"};
    lxw_row_t row = 0;
    for (const std::string& line : preamble) {
        if (!line.empty())
            worksheet_write_string(sheet, row, 0, line.c_str(), nullptr);
        ++row;
    }
    const char* heading[] = {"交易时间", "交易类型", "交易对方", "商品",     "收/支",   "金额(元)",
                             "支付方式", "当前状态", "交易单号", "商户单号", "备注"};
    for (lxw_col_t column = 0; column < 11; ++column)
        worksheet_write_string(sheet, row, column, heading[column], nullptr);
    for (const Payment& p : payments) {
        ++row;
        if (style.bNumbers) {
            lxw_datetime when = DateTimeOf(p.time);
            worksheet_write_datetime(sheet, row, 0, &when, timeFormat);
        } else {
            worksheet_write_string(sheet, row, 0, p.time.c_str(), nullptr);
        }
        const std::string texts[] = {OrSlash(p.type), OrSlash(p.counterparty), OrSlash(p.goods),
                                     OrSlash(p.direction)};
        for (lxw_col_t column = 0; column < 4; ++column)
            worksheet_write_string(sheet, row, column + 1, texts[column].c_str(), nullptr);
        if (style.bNumbers)
            worksheet_write_number(sheet, row, 5, std::stod(p.amount), nullptr);
        else
            worksheet_write_string(sheet, row, 5, ("¥" + p.amount).c_str(), nullptr);
        const std::string rest[] = {OrSlash(p.method), p.status, p.order, OrSlash(p.merchantOrder),
                                    "/"};
        for (lxw_col_t column = 0; column < 5; ++column)
            worksheet_write_string(sheet, row, column + 6, rest[column].c_str(), nullptr);
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        throw std::runtime_error("workbook not written");
    return ReadAndRemove(path);
}

std::string SheetXlsx(const std::vector<std::vector<std::string>>& rows) {
    const std::filesystem::path path = TempPath(".xlsx");
    lxw_workbook* book = workbook_new(path.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    for (lxw_row_t row = 0; row < rows.size(); ++row)
        for (lxw_col_t column = 0; column < rows[row].size(); ++column)
            worksheet_write_string(sheet, row, column, rows[row][column].c_str(), nullptr);
    if (workbook_close(book) != LXW_NO_ERROR)
        throw std::runtime_error("workbook not written");
    return ReadAndRemove(path);
}

std::string ZipOf(const std::vector<std::pair<std::string, std::string>>& parts) {
    const std::filesystem::path path = TempPath(".zip");
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("zip not made");
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("zip part not added");
        }
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error("zip not written");
    return ReadAndRemove(path);
}

} // namespace bill_files
