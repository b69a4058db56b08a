#include "tests/bills/XlsFiles.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace xls_files {
namespace {

// Reads the cells from its input (a line of flags, then a line per row, cells apart at tabs,
// each its kind and its text) and writes the workbook; a password's mark goes in as Excel
// puts it, right after the workbook's first record.
constexpr const char* kWriter = R"(
import struct, sys, xlwt
lines = sys.stdin.buffer.read().decode('utf-8').split('\n')
flags = lines[0].split()
book = xlwt.Workbook(encoding='utf-8')
book.dates_1904 = '1904' in flags
sheet = book.add_sheet('明细')
styles = {'d': xlwt.easyxf(num_format_str='YYYY-MM-DD'),
          't': xlwt.easyxf(num_format_str='YYYY-MM-DD HH:MM:SS')}
for row, line in enumerate(lines[1:]):
    for column, cell in enumerate(line.split('\t') if line else []):
        kind, text = cell[:1], cell[1:]
        if kind == 's':
            sheet.write(row, column, text)
        elif kind == 'n':
            sheet.write(row, column, float(text))
        elif kind in styles:
            sheet.write(row, column, float(text), styles[kind])
if 'locked' in flags:
    plain = book.get_biff_data
    def locked():
        data = plain()
        return data[:20] + struct.pack('<HHHHH', 0x2F, 6, 0, 0x1234, 0x5678) + data[20:]
    book.get_biff_data = locked
book.save(sys.argv[1])
)";

// Days since 1 March of year 0, proleptic Gregorian.
long DaysOf(int nYear, int nMonth, int nDay) {
    nYear -= nMonth <= 2;
    const long era = nYear / 400;
    const long yoe = nYear - era * 400;
    const long doy = (153 * (nMonth + (nMonth > 2 ? -3 : 9)) + 2) / 5 + nDay - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
}

// "2024-03-05 12:30:00" as the workbook's day number.
std::string Serial(const std::string& when, bool b1904) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    std::sscanf(when.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    const long nDays = DaysOf(y, mo, d) - (b1904 ? DaysOf(1904, 1, 1) : DaysOf(1899, 12, 30));
    char text[48];
    std::snprintf(text, sizeof text, "%.10f",
                  static_cast<double>(nDays) + (h * 3600 + mi * 60 + s) / 86400.0);
    return text;
}

} // namespace

std::string Workbook(const Rows& rows, const Options& options) {
    std::string input =
        std::string(options.b1904 ? "1904" : "1900") + (options.bLocked ? " locked" : "") + "\n";
    for (std::size_t nRow = 0; nRow < rows.size(); ++nRow) {
        for (std::size_t nAt = 0; nAt < rows[nRow].size(); ++nAt) {
            const Cell& cell = rows[nRow][nAt];
            if (nAt > 0)
                input += '\t';
            if (cell.kind == 'd' || cell.kind == 't')
                input += cell.kind + Serial(cell.text, options.b1904);
            else if (cell.kind != 0)
                input += cell.kind + cell.text;
        }
        if (nRow + 1 < rows.size())
            input += '\n';
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("book.xls");
    QProcess python;
    // Debian's own interpreter, where python3-xlwt is installed.
    python.start("/usr/bin/python3", {"-c", kWriter, path});
    python.write(input.data(), static_cast<qint64>(input.size()));
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0) {
        ADD_FAILURE() << "no .xls written (is python3-xlwt installed?): "
                      << python.readAllStandardError().toStdString();
        return std::string();
    }
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Rows Statement(const std::vector<bank_files::Line>& lines, const std::string& card) {
    Rows rows = {
        {{'s', "账户明细查询"}},
        {{'s', "账号：" + card}, {}, {'s', "币种：人民币"}},
        {},
        {{'s', "记账日期"}, {'s', "交易金额"}, {'s', "余额"}, {'s', "摘要"}, {'s', "对方户名"}}};
    for (const bank_files::Line& line : lines)
        rows.push_back({{'d', line.date},
                        {'n', line.amount},
                        {'n', line.balance},
                        {'s', line.summary},
                        {line.counterparty.empty() ? char(0) : 's', line.counterparty}});
    return rows;
}

} // namespace xls_files
