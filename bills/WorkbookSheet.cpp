#include "bills/WorkbookSheet.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <zip.h>

#include <charconv>
#include <map>
#include <memory>

namespace {

// A workbook part larger than this is no bill: a small archive must not unpack into
// gigabytes.
constexpr zip_uint64_t kMaxPartBytes = 256u << 20;
// Columns A to XFD, as Excel has them.
constexpr std::size_t kMaxColumns = 16384;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;
using EntryPtr = std::unique_ptr<zip_file_t, EntryCloser>;

// Thrown inside the reading with what the user is told.
struct Broken {
    std::string strWhy;
};

std::string Utf8(QStringView text) {
    return text.toString().toStdString();
}

// A part of the archive, whole; false when there is no such part.
bool ReadPart(zip_t* archive, const std::string& name, QByteArray& bytes) {
    const zip_int64_t index = zip_name_locate(archive, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0)
        return false;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
        throw Broken{"压缩包损坏"};
    if (stat.size > kMaxPartBytes)
        throw Broken{"其中的“" + name + "”太大"};
    const EntryPtr entry(zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
    if (!entry)
        throw Broken{"压缩包损坏"};
    bytes.resize(static_cast<qsizetype>(stat.size));
    zip_uint64_t done = 0;
    while (done < stat.size) {
        const zip_int64_t got = zip_fread(entry.get(), bytes.data() + done, stat.size - done);
        if (got <= 0)
            throw Broken{"压缩包损坏"};
        done += static_cast<zip_uint64_t>(got);
    }
    // The checksum is compared once the entry has been read to its end.
    char more = 0;
    if (zip_fread(entry.get(), &more, 1) != 0)
        throw Broken{"压缩包损坏"};
    return true;
}

void Check(const QXmlStreamReader& xml, const std::string& part) {
    if (xml.hasError())
        throw Broken{"其中的“" + part + "”不是完好的 XML"};
}

// "xl/workbook.xml" and "worksheets/sheet1.xml" → "xl/worksheets/sheet1.xml".
std::string Resolve(const std::string& from, const std::string& target) {
    if (!target.empty() && target[0] == '/')
        return target.substr(1);
    std::string folder = from.substr(0, from.rfind('/') + 1);
    std::string rest = target;
    while (rest.rfind("../", 0) == 0) {
        rest.erase(0, 3);
        if (!folder.empty()) {
            const std::size_t up = folder.rfind('/', folder.size() - 2);
            folder.erase(up == std::string::npos ? 0 : up + 1);
        }
    }
    return folder + rest;
}

// The relationships of `part`: target by id, and the first target of each type's last word.
struct Relations {
    std::map<std::string, std::string> byId;
    std::map<std::string, std::string> byType;
};

Relations ReadRelations(zip_t* archive, const std::string& part) {
    const std::size_t slash = part.rfind('/') + 1;
    const std::string name = part.substr(0, slash) + "_rels/" + part.substr(slash) + ".rels";
    Relations relations;
    QByteArray bytes;
    if (!ReadPart(archive, name, bytes))
        return relations;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"Relationship") {
            const std::string target = Resolve(part, Utf8(xml.attributes().value("Target")));
            const std::string type = Utf8(xml.attributes().value("Type"));
            relations.byId[Utf8(xml.attributes().value("Id"))] = target;
            relations.byType.emplace(type.substr(type.rfind('/') + 1), target);
        }
    }
    Check(xml, name);
    return relations;
}

// The text of a string item (<si>, <is>): its <t> elements, without the phonetic runs.
std::string ReadText(QXmlStreamReader& xml) {
    const QString end = xml.name().toString();
    std::string text;
    int nPhonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh")
                ++nPhonetic;
            else if (xml.name() == u"t" && nPhonetic == 0)
                text += xml.readElementText().toStdString();
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh")
                --nPhonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}

std::vector<std::string> ReadSharedStrings(zip_t* archive, const std::string& part) {
    std::vector<std::string> strings;
    QByteArray bytes;
    if (part.empty() || !ReadPart(archive, part, bytes))
        return strings;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            strings.push_back(ReadText(xml));
    }
    Check(xml, part);
    return strings;
}

// "C12" → 2; `nNext` when the reference is missing.
std::size_t ColumnOf(QStringView ref, std::size_t nNext) {
    std::size_t nColumn = 0;
    qsizetype at = 0;
    for (; at < ref.size() && ref[at] >= u'A' && ref[at] <= u'Z'; ++at) {
        nColumn = nColumn * 26 + static_cast<std::size_t>(ref[at].unicode() - u'A' + 1);
        if (nColumn > kMaxColumns)
            throw Broken{"单元格位置“" + Utf8(ref) + "”不对"};
    }
    return at == 0 ? nNext : nColumn - 1;
}

// A number as its shortest text: "28.160000000000000142" → "28.16". Whole numbers keep
// every digit (an order number may be stored as one).
std::string NumberText(const std::string& text) {
    if (text.find_first_not_of("0123456789") == std::string::npos)
        return text;
    double dValue = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), dValue);
    if (error != std::errc() || end != text.data() + text.size())
        return text;
    char out[32];
    const auto written = std::to_chars(out, out + sizeof out, dValue);
    return std::string(out, written.ptr);
}

void ReadCell(QXmlStreamReader& xml, const std::vector<std::string>& shared,
              CWorkbookSheet::Row& row, std::size_t& nNext) {
    const std::size_t nColumn = ColumnOf(xml.attributes().value("r"), nNext);
    const QString type = xml.attributes().value("t").toString();
    std::string value;
    std::string inlineText;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"v")
                value = xml.readElementText().toStdString();
            else if (xml.name() == u"is")
                inlineText = ReadText(xml);
            else
                xml.skipCurrentElement();
        } else if (xml.isEndElement() && xml.name() == u"c") {
            break;
        }
    }
    std::string text;
    bool bNumber = false;
    if (type == u"s") {
        std::size_t nIndex = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), nIndex);
        if (error != std::errc() || end != value.data() + value.size() || nIndex >= shared.size())
            throw Broken{"共享文字“" + value + "”不存在"};
        text = shared[nIndex];
    } else if (type == u"inlineStr") {
        text = inlineText;
    } else if (type.isEmpty() || type == u"n") {
        text = NumberText(value);
        bNumber = !value.empty();
    } else {
        text = value; // formulas' texts, truth values, errors, ISO dates
    }
    if (row.cells.size() <= nColumn) {
        row.cells.resize(nColumn + 1);
        row.numbers.resize(nColumn + 1);
    }
    row.cells[nColumn] = std::move(text);
    row.numbers[nColumn] = bNumber;
    nNext = nColumn + 1;
}

} // namespace

bool CWorkbookSheet::LooksLikeWorkbook(std::string_view bytes) {
    return bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4);
}

bool CWorkbookSheet::Read(std::string_view bytes, std::string& strError) {
    m_rows.clear();
    m_b1904 = false;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* raw = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!raw) {
        if (source)
            zip_source_free(source);
        strError = "压缩包损坏";
        return false;
    }
    const ArchivePtr archive(raw);
    try {
        const Relations package = ReadRelations(archive.get(), "");
        const auto office = package.byType.find("officeDocument");
        const std::string workbook =
            office != package.byType.end() ? office->second : std::string("xl/workbook.xml");
        QByteArray bytesOfWorkbook;
        if (!ReadPart(archive.get(), workbook, bytesOfWorkbook))
            throw Broken{"其中没有工作簿"};
        const Relations relations = ReadRelations(archive.get(), workbook);
        // The first sheet the workbook lists, wherever its part lies.
        std::string sheet;
        QXmlStreamReader xml(bytesOfWorkbook);
        while (!xml.atEnd() && sheet.empty()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"workbookPr") {
                const QStringView date1904 = xml.attributes().value("date1904");
                m_b1904 = date1904 == u"1" || date1904 == u"true";
            } else if (xml.name() == u"sheet") {
                for (const QXmlStreamAttribute& attribute : xml.attributes())
                    if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty()) {
                        const auto found = relations.byId.find(Utf8(attribute.value()));
                        if (found != relations.byId.end())
                            sheet = found->second;
                    }
                if (sheet.empty())
                    throw Broken{"其中的工作表找不到"};
            }
        }
        Check(xml, workbook);
        if (sheet.empty())
            throw Broken{"其中没有工作表"};
        const auto sharedPart = relations.byType.find("sharedStrings");
        const std::vector<std::string> shared = ReadSharedStrings(
            archive.get(), sharedPart != relations.byType.end() ? sharedPart->second : "");

        QByteArray bytesOfSheet;
        if (!ReadPart(archive.get(), sheet, bytesOfSheet))
            throw Broken{"其中的工作表找不到"};
        QXmlStreamReader rows(bytesOfSheet);
        std::size_t nNextRow = 1;
        std::size_t nNextColumn = 0;
        while (!rows.atEnd()) {
            rows.readNext();
            if (!rows.isStartElement())
                continue;
            if (rows.name() == u"row") {
                Row row;
                const QString number = rows.attributes().value("r").toString();
                bool bOk = false;
                const qulonglong nRow = number.toULongLong(&bOk);
                row.nRow = bOk && nRow >= nNextRow ? static_cast<std::size_t>(nRow) : nNextRow;
                nNextRow = row.nRow + 1;
                nNextColumn = 0;
                m_rows.push_back(std::move(row));
            } else if (rows.name() == u"c") {
                if (m_rows.empty())
                    throw Broken{"工作表内容有误"};
                ReadCell(rows, shared, m_rows.back(), nNextColumn);
            }
        }
        Check(rows, sheet);
    } catch (const Broken& broken) {
        m_rows.clear();
        strError = broken.strWhy;
        return false;
    }
    return true;
}
