#include "pictures/PictureStore.h"

#include "backup/AdditionBackup.h"
#include "data/ADORecordset.h"
#include "data/LedgerAdditions.h"
#include "data/NumberText.h"
#include "data/SqlText.h"

#include <stdexcept>

namespace {

std::int64_t ReadInteger(CADORecordset& rs, int nIndex) {
    double dValue = 0;
    rs.GetFieldValue(nIndex, dValue);
    return static_cast<std::int64_t>(dValue);
}

// Only the two record tables carry pictures; a name put into SQL is one of them.
const std::string& RecordTable(const std::string& strTable) {
    if (strTable != "normalIncome" && strTable != "normalPay")
        throw std::invalid_argument("pictures belong to records, not to " + strTable);
    return strTable;
}

std::string LinkCondition(const std::string& strTable, std::int64_t nRecord) {
    return "pictureLink.表 = '" + RecordTable(strTable) +
           "' AND pictureLink.编号 = " + NumberText::Itoa(nRecord);
}

} // namespace

bool CPictureStore::Present() {
    return CLedgerAdditions::Read(m_db) >= CLedgerAdditions::kPictures;
}

bool CPictureStore::Ensure(std::string& strError) {
    if (Present())
        return true;
    if (!BackUpBeforeAddition(m_db, strError))
        return false;
    CLedgerAdditions::Add(m_db, CLedgerAdditions::kPictures);
    return true;
}

std::int64_t CPictureStore::FindByHash(const std::string& strHash) {
    CADORecordset rs(&m_db);
    if (!rs.Open("SELECT ID FROM pictureStore WHERE 摘要 = '" + QuoteSql(strHash) + "'",
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return 0;
    return ReadInteger(rs, 0);
}

std::int64_t CPictureStore::Store(const CPreparedPicture& picture) {
    // Opened by name only to add: no picture of the table is read.
    CADORecordset rs(&m_db);
    if (!rs.Open("pictureStore", CADORecordset::ModeTable))
        throw std::runtime_error("the ledger has no picture table");
    rs.AddNew();
    rs.SetFieldValue("摘要", picture.strHash);
    rs.SetFieldValue("宽", static_cast<double>(picture.nWidth));
    rs.SetFieldValue("高", static_cast<double>(picture.nHeight));
    rs.PutFieldValue("图片", ado::Variant::Binary(picture.strJpeg));
    rs.PutFieldValue("缩略图", ado::Variant::Binary(picture.strThumbnail));
    if (!rs.Update())
        throw std::runtime_error("the picture was not stored");
    return ReadInteger(rs, 0);
}

bool CPictureStore::RecordExists(const std::string& strTable, std::int64_t nRecord) {
    CADORecordset rs(&m_db);
    return rs.Open("SELECT 编号 FROM " + RecordTable(strTable) +
                       " WHERE 编号 = " + NumberText::Itoa(nRecord),
                   CADORecordset::ModeQuery) &&
           !rs.IsEOF();
}

std::int64_t CPictureStore::Attach(const std::string& strTable, std::int64_t nRecord,
                                   const CPreparedPicture& picture) {
    if (!RecordExists(strTable, nRecord))
        return 0;
    std::int64_t nPicture = FindByHash(picture.strHash);
    if (nPicture == 0)
        nPicture = Store(picture);
    const std::string id = NumberText::Itoa(nPicture);
    CADORecordset rs(&m_db);
    if (rs.Open("SELECT 图片 FROM pictureLink WHERE " + LinkCondition(strTable, nRecord) +
                    " AND pictureLink.图片 = " + id,
                CADORecordset::ModeQuery) &&
        !rs.IsEOF())
        return nPicture;
    rs.Open("INSERT INTO pictureLink (表, 编号, 图片, 顺序) SELECT '" + strTable + "', " +
                NumberText::Itoa(nRecord) + ", " + id +
                ", COALESCE(MAX(顺序), 0) + 1 FROM pictureLink WHERE " +
                LinkCondition(strTable, nRecord),
            CADORecordset::ModeUnknown);
    return nPicture;
}

void CPictureStore::Detach(const std::string& strTable, std::int64_t nRecord,
                           std::int64_t nPicture) {
    CADORecordset rs(&m_db);
    rs.Open("DELETE FROM pictureLink WHERE " + LinkCondition(strTable, nRecord) +
                " AND pictureLink.图片 = " + NumberText::Itoa(nPicture),
            CADORecordset::ModeUnknown);
}

std::vector<CPictureStore::Thumbnail> CPictureStore::Thumbnails(const std::string& strTable,
                                                                std::int64_t nRecord) {
    std::vector<Thumbnail> thumbnails;
    if (!Present())
        return thumbnails;
    CADORecordset rs(&m_db);
    if (!rs.Open("SELECT pictureStore.ID, pictureStore.宽, pictureStore.高, "
                 "LENGTH(pictureStore.图片), pictureStore.缩略图 FROM pictureLink, pictureStore "
                 "WHERE pictureStore.ID = pictureLink.图片 AND " +
                     LinkCondition(strTable, nRecord) + " ORDER BY pictureLink.顺序",
                 CADORecordset::ModeQuery))
        return thumbnails;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        Thumbnail thumbnail;
        thumbnail.nId = ReadInteger(rs, 0);
        thumbnail.nWidth = static_cast<int>(ReadInteger(rs, 1));
        thumbnail.nHeight = static_cast<int>(ReadInteger(rs, 2));
        thumbnail.nBytes = ReadInteger(rs, 3);
        thumbnail.strThumbnail = std::string(rs.GetFieldView(4).text);
        thumbnails.push_back(std::move(thumbnail));
    }
    return thumbnails;
}

std::string CPictureStore::Picture(std::int64_t nPicture) {
    CADORecordset rs(&m_db);
    if (!Present() ||
        !rs.Open("SELECT 图片 FROM pictureStore WHERE ID = " + NumberText::Itoa(nPicture),
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return {};
    return std::string(rs.GetFieldView(0).text);
}

int CPictureStore::Count(const std::string& strTable, std::int64_t nRecord) {
    CADORecordset rs(&m_db);
    if (!Present() || !rs.Open("SELECT COUNT(*) FROM pictureLink WHERE " +
                                   LinkCondition(strTable, nRecord),
                               CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return 0;
    return static_cast<int>(ReadInteger(rs, 0));
}

std::unordered_set<std::int64_t> CPictureStore::RecordsWithPictures(const std::string& strTable) {
    std::unordered_set<std::int64_t> records;
    CADORecordset rs(&m_db);
    if (!Present() || !rs.Open("SELECT DISTINCT 编号 FROM pictureLink WHERE 表 = '" +
                                   RecordTable(strTable) + "'",
                               CADORecordset::ModeQuery))
        return records;
    for (; !rs.IsEOF(); rs.MoveNext())
        records.insert(ReadInteger(rs, 0));
    return records;
}

void CPictureStore::Totals(std::int64_t& nCount, std::int64_t& nBytes) {
    nCount = 0;
    nBytes = 0;
    CADORecordset rs(&m_db);
    if (!Present() ||
        !rs.Open("SELECT COUNT(*), SUM(LENGTH(图片) + LENGTH(缩略图)) FROM pictureStore",
                 CADORecordset::ModeQuery) ||
        rs.IsEOF())
        return;
    nCount = ReadInteger(rs, 0);
    nBytes = ReadInteger(rs, 1);
}
