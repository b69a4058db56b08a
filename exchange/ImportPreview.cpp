#include "exchange/ImportPreview.h"

#include "exchange/CsvReader.h"
#include "exchange/ImportFile.h"
#include "exchange/RecordTable.h"
#include "exchange/RecordText.h"
#include "exchange/TextEncoding.h"

ImportPreview PreviewImport(CADODatabase& db, const CImportFile& file, const ColumnMapping& mapping,
                            const ImportOptions& options, std::size_t nLines) {
    ImportPreview preview;
    preview.strError = MissingFieldsText(mapping);
    std::vector<std::string> header;
    if (file.ChecksUtf8() && file.ReadHeader(header, preview.strError))
        for (const std::string& heading : header)
            if (!IsValidUtf8(heading))
                preview.strError = "标题行不是有效的 UTF-8 文本";
    CImportChecker checker(options, mapping, file.ChecksUtf8());
    if (preview.strError.empty())
        checker.Load(db);
    CCsvReader reader(file.GetText(), file.GetDelimiter());
    CsvRow row;
    if (!reader.Next(row)) {
        preview.strError = reader.GetLastError().empty() ? "文件是空的" : reader.GetLastError();
        return preview;
    }
    while (preview.rows.size() < nLines && reader.Next(row)) {
        std::vector<std::string> cells(std::size(kPreviewHeadings));
        cells[0] = std::to_string(row.nLine);
        if (!preview.strError.empty()) {
            // Without the needed columns, the lines are shown as they stand.
            for (size_t i = 0; i < row.fields.size() && i + 2 < cells.size(); ++i)
                cells[i + 2] = row.fields[i];
            preview.rows.push_back(std::move(cells));
            continue;
        }
        const CheckedLine line = checker.Check(row);
        if (line.nStatus == CheckedLine::Bad) {
            // Shown as they stand in the file, so that the fault can be seen.
            ++preview.nBad;
            const std::pair<int, ImportField> raw[] = {{1, FieldKind},   {2, FieldAmount},
                                                       {3, FieldMember}, {4, FieldDate},
                                                       {5, FieldItem},   {6, FieldNote}};
            for (const auto& [cell, field] : raw)
                if (mapping[field] >= 0 && static_cast<size_t>(mapping[field]) < row.fields.size())
                    cells[static_cast<size_t>(cell)] =
                        row.fields[static_cast<size_t>(mapping[field])];
            // An amount that reads is shown as a good line's is, whatever else is wrong.
            double amount = 0;
            if (ParseAmount(cells[2], amount).empty())
                cells[2] = FormatCents(amount);
            cells[7] = line.strReason;
            preview.bad.resize(preview.rows.size() + 1);
            preview.bad.back() = true;
        } else {
            const ExchangeRecord& record = line.record;
            cells[1] = line.pTable->szKind;
            cells[2] = FormatCents(record.dAmount);
            cells[3] = record.strMember;
            cells[4] = FormatRecordDate(record.dtRecord);
            cells[5] = record.strItem;
            cells[6] = record.strNote;
            if (line.nStatus == CheckedLine::Duplicate) {
                ++preview.nDuplicates;
                cells[7] = "重复，将跳过";
            } else {
                ++preview.nGood;
                cells[7] = line.bNewMember && line.bNewItem ? "将添加成员和类别"
                           : line.bNewMember                ? "将添加成员"
                           : line.bNewItem                  ? "将添加类别"
                                                            : "";
            }
        }
        checker.Accept(line);
        preview.rows.push_back(std::move(cells));
    }
    preview.bad.resize(preview.rows.size());
    if (preview.strError.empty() && !reader.GetLastError().empty())
        preview.strError = reader.GetLastError();
    else if (preview.strError.empty() && preview.rows.empty())
        preview.strError = "文件中只有标题行，没有记录";
    return preview;
}
