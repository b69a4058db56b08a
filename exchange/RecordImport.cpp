#include "exchange/RecordImport.h"

#include "data/ADODatabase.h"
#include "data/ADOInserter.h"
#include "data/ADORecordset.h"
#include "exchange/CsvReader.h"
#include "exchange/CsvWriter.h"
#include "exchange/ImportFile.h"
#include "exchange/RecordTable.h"
#include "records/AccountLink.h"

#include <algorithm>
#include <memory>

namespace {

// What an import writes through, opened once each: the records go in through one prepared
// insert per table, the few list entries through recordsets.
class ImportWriter {
public:
    explicit ImportWriter(CADODatabase& db) : m_db(db) {}

    void Write(const CheckedLine& line) {
        if (line.bNewMember)
            AddEntry(m_members, kMemberTable, line.record.strMember);
        if (line.bNewItem)
            AddEntry(line.pTable == &kIncomeRecords ? m_incomeItems : m_payItems,
                     line.pTable->szItemTable, line.record.strItem);
        const RecordTable& table = *line.pTable;
        if (line.nAccount != 0) {
            WriteWithAccount(line);
            return;
        }
        std::unique_ptr<CADOInserter>& inserter = &table == &kIncomeRecords ? m_income : m_pay;
        if (!inserter)
            inserter = std::make_unique<CADOInserter>(
                &m_db, table.szTable,
                std::vector<std::string>{table.szMemberColumn, table.szItemColumn,
                                         table.szAmountColumn, table.szDateColumn, "备注"});
        inserter->SetFieldValue(0, line.record.strMember);
        inserter->SetFieldValue(1, line.record.strItem);
        inserter->SetFieldValue(2, line.record.dAmount);
        inserter->SetFieldValue(3, line.record.dtRecord);
        inserter->SetFieldValue(4, line.record.strNote);
        inserter->Add();
    }

    /// Writes what the inserts still hold back.
    void Finish() {
        for (auto* inserter : {&m_income, &m_pay})
            if (*inserter)
                (*inserter)->Finish();
    }

private:
    // A record with an account is written on its own: its link needs the number it gets.
    void WriteWithAccount(const CheckedLine& line) {
        const RecordTable& table = *line.pTable;
        std::unique_ptr<CADORecordset>& recordset =
            &table == &kIncomeRecords ? m_incomeLinked : m_payLinked;
        if (!recordset) {
            recordset = std::make_unique<CADORecordset>(&m_db);
            if (!recordset->Open(table.szTable, CADORecordset::ModeTable))
                throw CADOException(recordset->GetLastError(),
                                    std::string("表打不开：") + table.szTable);
        }
        CADORecordset& records = *recordset;
        records.AddNew();
        records.SetFieldValue(table.szMemberColumn, line.record.strMember);
        records.SetFieldValue(table.szItemColumn, line.record.strItem);
        records.SetFieldValue(table.szAmountColumn, line.record.dAmount);
        records.SetFieldValue(table.szDateColumn, line.record.dtRecord);
        if (!line.record.strNote.empty()) // left null, as the inserter leaves it
            records.SetFieldValue("备注", line.record.strNote);
        if (!records.Update())
            throw CADOException(records.GetLastError(), records.GetLastErrorString());
        double dRecord = 0;
        records.GetFieldValue(0, dRecord);
        CAccountLink::Set(m_db, table.szTable, static_cast<std::int64_t>(dRecord), line.nAccount);
    }

    void AddEntry(std::unique_ptr<CADORecordset>& recordset, const char* szTable,
                  const std::string& entry) {
        if (!recordset) {
            recordset = std::make_unique<CADORecordset>(&m_db);
            if (!recordset->Open(szTable, CADORecordset::ModeTable))
                throw CADOException(recordset->GetLastError(), std::string("表打不开：") + szTable);
        }
        CADORecordset& list = *recordset;
        list.AddNew();
        list.SetFieldValue("类型", entry);
        if (!list.Update())
            throw CADOException(list.GetLastError(), list.GetLastErrorString());
    }

    CADODatabase& m_db;
    std::unique_ptr<CADOInserter> m_income, m_pay;
    std::unique_ptr<CADORecordset> m_members, m_incomeItems, m_payItems;
    std::unique_ptr<CADORecordset> m_incomeLinked, m_payLinked;
};

} // namespace

ImportSummary ImportRecords(CADODatabase& db, const CImportFile& file, const ColumnMapping& mapping,
                            const ImportOptions& options, const ImportProgress& progress) {
    ImportSummary summary;
    if (std::string missing = MissingFieldsText(mapping); !missing.empty()) {
        summary.strError = missing;
        return summary;
    }
    CImportChecker checker(options, mapping, file.ChecksUtf8());
    checker.Load(db);
    const std::string& text = file.GetText();
    checker.Expect(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));

    CCsvReader reader(file.GetText(), file.GetDelimiter());
    CsvRow row;
    if (!reader.Next(row)) {
        summary.strError = reader.GetLastError().empty() ? "文件是空的" : reader.GetLastError();
        return summary;
    }
    if (!db.BeginTrans()) {
        summary.strError = "账本没有打开";
        return summary;
    }
    try {
        ImportWriter writer(db);
        std::size_t nLines = 0;
        CheckedLine line;
        while (reader.Next(row)) {
            checker.Check(row, line);
            switch (line.nStatus) {
            case CheckedLine::Good:
                writer.Write(line);
                checker.Accept(line);
                ++summary.nImported;
                break;
            case CheckedLine::Duplicate:
                ++summary.nDuplicates;
                break;
            case CheckedLine::Bad:
                summary.badLines.push_back(
                    BadLine{row.nLine, std::move(line.strReason), std::move(row.fields)});
                break;
            }
            if (++nLines % 1000 == 0 && progress && !progress(reader.Progress())) {
                summary.bCancelled = true;
                break;
            }
        }
        if (!summary.bCancelled && reader.GetLastError().empty() && nLines == 0)
            summary.strError = "文件中只有标题行，没有记录";
        else if (!reader.GetLastError().empty())
            summary.strError = reader.GetLastError();
        if (summary.bCancelled || !summary.strError.empty()) {
            db.RollbackTrans();
            summary.nImported = summary.nDuplicates = 0;
            if (!summary.strError.empty())
                summary.badLines.clear();
            return summary;
        }
        writer.Finish();
        db.CommitTrans();
    } catch (...) {
        db.RollbackTrans();
        throw;
    }
    if (progress)
        progress(1.0);
    return summary;
}

std::string ImportNothingText(const std::string& strError, bool bCancelled) {
    if (!strError.empty())
        return "导入失败！" + strError + "，没有导入任何记录。";
    if (bCancelled)
        return "导入已取消，没有导入任何记录。";
    return {};
}

std::string ImportSummaryText(const ImportSummary& summary) {
    if (std::string nothing = ImportNothingText(summary.strError, summary.bCancelled);
        !nothing.empty())
        return nothing;
    return "导入完成！导入 " + std::to_string(summary.nImported) + " 条记录，跳过重复 " +
           std::to_string(summary.nDuplicates) + " 条，错误 " +
           std::to_string(summary.badLines.size()) + " 行。";
}

bool SaveBadLines(const std::filesystem::path& path, const std::vector<BadLine>& badLines,
                  std::string& strError) {
    CCsvWriter writer;
    if (!writer.Open(path)) {
        strError = writer.GetLastError();
        return false;
    }
    writer.WriteRow({"行号", "原因"});
    for (const BadLine& line : badLines) {
        std::vector<std::string> fields{std::to_string(line.nLine), line.strReason};
        fields.insert(fields.end(), line.fields.begin(), line.fields.end());
        writer.WriteRow(fields);
    }
    if (!writer.Commit()) {
        strError = writer.GetLastError();
        return false;
    }
    return true;
}
