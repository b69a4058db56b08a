#pragma once

#include <optional>
#include <string>

class CADODatabase;
class QWidget;
struct InquiryTwin;

/// A record a list shows, reached by its number as the inquiry windows reach it: through
/// the twin's record statement, the number put in bare.
class CListedRecord {
public:
    enum Deletion { NotFound, Deleted, Failed };

    CListedRecord(CADODatabase& db, const InquiryTwin& twin, std::string strId)
        : m_db(db), m_twin(twin), m_strId(std::move(strId)) {}

    /// The record's amount as stored; none when it cannot be read.
    std::optional<double> StoredAmount();
    /// Deletes the record: NotFound when the connection is closed, the number is not all
    /// digits or no record has it; Failed when the engine reports the deletion failed.
    /// `dAmount` receives the deleted record's amount. Engine errors are thrown.
    Deletion Delete(double& dAmount);
    /// Delete as a list's 删除 does: a deletion the engine reports failed is told over
    /// `owner` ("delete"). True when the record is gone and its row should go too.
    bool DeleteFromList(QWidget* owner, double& dAmount);

private:
    std::string Statement() const;

    CADODatabase& m_db;
    const InquiryTwin& m_twin;
    std::string m_strId;
};
