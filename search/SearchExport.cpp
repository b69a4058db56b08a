#include "search/SearchExport.h"

#include "exchange/CsvWriter.h"
#include "exchange/ExchangeRecord.h"
#include "exchange/RecordText.h"

#include <algorithm>

std::vector<std::string> SearchCsvHeadings() {
    std::vector<std::string> headings = {kSearchKindHeading};
    headings.insert(headings.end(), std::begin(kExportHeadings), std::end(kExportHeadings));
    return headings;
}

std::vector<std::string> SearchCsvFields(int nKind, const ExchangeRecord& record) {
    return {SearchKindText(nKind),
            record.strId,
            FormatAmount(record.dAmount),
            record.strMember,
            FormatRecordDate(record.dtRecord),
            record.strItem,
            record.strNote};
}

std::vector<std::string> SearchCsvFields(const SearchRow& row) {
    ExchangeRecord record{std::to_string(row.nId),
                          row.dAmount,
                          row.strMember,
                          row.dtRecord,
                          row.strItem,
                          row.strNote,
                          {}};
    std::vector<std::string> fields = SearchCsvFields(row.nKind, record);
    if (!row.bDate)
        fields[4] = row.strStoredDate;
    return fields;
}

bool ExportSearchCsv(const std::filesystem::path& path,
                     const std::vector<std::pair<int, ExchangeRecord>>& records,
                     std::string& strError) {
    CCsvWriter writer;
    if (!writer.Open(path)) {
        strError = writer.GetLastError();
        return false;
    }
    // The receipts' count, as the windows' export has it: only when some record has receipts.
    const bool bPictures = std::any_of(records.begin(), records.end(), [](const auto& kindRecord) {
        return kindRecord.second.nPictures > 0;
    });
    std::vector<std::string> fields = SearchCsvHeadings();
    if (bPictures)
        fields.push_back(kPicturesHeading);
    writer.WriteRow(fields);
    for (const auto& [nKind, record] : records) {
        fields = SearchCsvFields(nKind, record);
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
