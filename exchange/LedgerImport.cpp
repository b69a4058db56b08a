#include "exchange/LedgerImport.h"

#include "data/ADODatabase.h"
#include "exchange/ImportFile.h"
#include "exchange/LedgerExport.h"

ImportSummary ImportLedgerFile(const std::string& strConnection, const std::filesystem::path& file,
                               const ImportOptions& options) {
    ImportSummary summary;
    CImportFile importFile;
    std::vector<std::string> header;
    if (!importFile.Load(file, summary.strError) ||
        !importFile.ReadHeader(header, summary.strError))
        return summary;
    try {
        CADODatabase db;
        db.SetConnectionString(strConnection);
        if (!db.Open()) {
            summary.strError =
                db.GetErrorDescription().empty() ? "账本打不开" : db.GetErrorDescription();
            return summary;
        }
        return ImportRecords(db, importFile, MapHeader(header), options, nullptr);
    } catch (...) {
        summary = ImportSummary();
        summary.strError = DescribeExchangeError(std::current_exception());
        return summary;
    }
}
