#include "exchange/LedgerExport.h"

#include "data/ADODatabase.h"
#include "data/EngineErrorText.h"
#include "exchange/RecordExport.h"
#include "exchange/RecordReader.h"
#include "exchange/RecordTable.h"

#include <exception>
#include <stdexcept>
#include <vector>

namespace {

std::filesystem::path WithSuffix(std::filesystem::path out, const std::string& suffix) {
    const std::string extension = out.extension().string();
    if (extension == ".csv" || extension == ".xlsx")
        out.replace_extension();
    out += suffix;
    return out;
}

} // namespace

std::string LedgerConnectionText(const std::string& strLedger) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + strLedger;
}

std::string DescribeExchangeError(std::exception_ptr error) {
    std::string description;
    if (DescribeEngineError(error, description))
        return description;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return "未知错误";
    }
}

bool ExportLedger(const std::string& strConnection, const std::filesystem::path& out, bool bXlsx,
                  std::string& strError) {
    std::vector<ExchangeRecord> income, pay;
    try {
        CADODatabase db;
        db.SetConnectionString(strConnection);
        if (!db.Open()) {
            strError = db.GetErrorDescription().empty() ? "账本打不开" : db.GetErrorDescription();
            return false;
        }
        income = ReadAllRecords(db, kIncomeRecords);
        pay = ReadAllRecords(db, kPayRecords);
        CountPictures(db, kIncomeRecords, income);
        CountPictures(db, kPayRecords, pay);
    } catch (...) {
        strError = DescribeExchangeError(std::current_exception());
        return false;
    }
    if (bXlsx)
        return ExportRecordsXlsx(WithSuffix(out, ".xlsx"),
                                 {{kIncomeRecords.szKind, &income}, {kPayRecords.szKind, &pay}},
                                 strError);
    const auto incomePath = WithSuffix(out, std::string("-") + kIncomeRecords.szKind + ".csv");
    if (!ExportRecordsCsv(incomePath, income, strError))
        return false;
    if (!ExportRecordsCsv(WithSuffix(out, std::string("-") + kPayRecords.szKind + ".csv"), pay,
                          strError)) {
        std::error_code ec;
        std::filesystem::remove(incomePath, ec);
        return false;
    }
    return true;
}
