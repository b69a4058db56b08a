#include "exchange/ImportDlg.h"

#include "controls/ReportCtrl.h"
#include "exchange/ExchangeTexts.h"
#include "exchange/ImportPreview.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QSet>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

constexpr int kReasonColumn = 7;

// Bad lines stand out in red among the 200 shown. A row is known by its 说明: the reasons of
// bad lines are texts no good line has, and they stay with their row when the list is sorted.
class BadLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSet<QString> m_reasons;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_reasons.contains(index.siblingAtColumn(kReasonColumn).data().toString()))
            option->palette.setColor(QPalette::Text, QColor(0xC0, 0x00, 0x00));
    }
};

// The combos' entries stand in the order of these tables.
constexpr TextEncoding kEncodings[] = {TextEncoding::Utf8, TextEncoding::Gb18030};
constexpr ImportKind kKinds[] = {ImportKind::Income, ImportKind::Expense, ImportKind::ByColumn};

} // namespace

CImportDlg::CImportDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listPreview(new CReportCtrl(this)) {
    UseControl(IDC_PREVIEW, m_listPreview);
    m_listPreview->setItemDelegate(new BadLineDelegate(m_listPreview));
    OnCommand(ui::IDOK, [] {}); // Enter neither imports nor closes
    OnCommand(IDC_CHOOSE_FILE, [this] { OnChooseFile(); });
    OnCommand(IDC_IMPORT, [this] { OnImport(); });
    OnCommand(IDC_CANCEL_IMPORT, [this] { OnCancelImport(); });
    OnCommand(IDC_SAVE_BAD_LINES, [this] { OnSaveBadLines(); });
    OnCommand(IDC_ADD_MISSING, [this] { RefreshPreview(); });
    OnCommand(IDC_KEEP_DUPLICATES, [this] { RefreshPreview(); });
    OnNotify(IDC_ENCODING, ui::Notification::SelChange,
             [this](ui::NotifyInfo&) { OnEncodingChanged(); });
    OnNotify(IDC_DELIMITER, ui::Notification::SelChange,
             [this](ui::NotifyInfo&) { OnDelimiterChanged(); });
    OnNotify(IDC_KIND, ui::Notification::SelChange, [this](ui::NotifyInfo&) { RefreshPreview(); });
    for (int field = 0; field < FieldCount; ++field)
        OnNotify(IDC_COLUMN_FIRST + field, ui::Notification::SelChange,
                 [this](ui::NotifyInfo&) { RefreshPreview(); });
}

CImportDlg::~CImportDlg() = default;

QComboBox* CImportDlg::Combo(int id) const {
    return Item<QComboBox>(id);
}

bool CImportDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_progress = Item<QProgressBar>(IDC_PROGRESS);
    m_listPreview->setAccessibleName(windowTitle());
    for (TextEncoding encoding : kEncodings)
        Combo(IDC_ENCODING)->addItem(EncodingName(encoding));
    for (const char* name : kDelimiterNames)
        Combo(IDC_DELIMITER)->addItem(QString::fromUtf8(name));
    for (const char* name : kImportKindNames)
        Combo(IDC_KIND)->addItem(QString::fromUtf8(name));
    Combo(IDC_KIND)->setCurrentIndex(1); // expenses are what households mostly bring in
    // Pixels of 宋体 9 pt, widened with the dialog units when another font stands in.
    const int widths[] = {40, 36, 70, 56, 124, 64, 90, 180};
    const double scale = std::max(1.0, ui::DialogUnits(m_listPreview->font()).BaseX() / 6.0);
    for (size_t column = 0; column < std::size(kPreviewHeadings); ++column)
        m_listPreview->InsertColumn(static_cast<int>(column), kPreviewHeadings[column],
                                    ui::LVCFMT_LEFT,
                                    static_cast<int>(widths[column] * scale + 0.5));
    m_nReasonWidth = m_listPreview->columnWidth(kReasonColumn);
    EnableControls(true);
    m_db.SetConnectionString(kConnection);
    m_db.Open();
    return true;
}

void CImportDlg::OnCancel() {
    // Closing the window while the import runs cancels the import; the window stays.
    if (m_bImporting) {
        m_bCancel = true;
        return;
    }
    ui::Dialog::OnCancel();
}

void CImportDlg::OnChooseFile() {
    ui::FileDialogRequest request;
    request.strCaption = kTextChooseImportFile;
    request.filters = {kFilterCsv, kFilterAllFiles};
    const std::optional<ui::FileDialogAnswer> answer = ui::GetFileName(this, request);
    if (!answer)
        return;
    CImportFile file;
    std::string strError;
    if (!file.Load(answer->strPath, strError)) {
        ui::MessageBox(this, strError);
        return;
    }
    m_file = std::move(file);
    m_bLoaded = true;
    m_badLines.clear();
    Item<QLineEdit>(IDC_FILE)->setText(QString::fromStdString(answer->strPath));
    ShowFileSettings();
}

// After a file is read (or read again): its encoding and delimiter, its columns, the preview.
void CImportDlg::ShowFileSettings() {
    m_bFilling = true;
    Combo(IDC_ENCODING)->setCurrentIndex(m_file.GetEncoding() == TextEncoding::Utf8 ? 0 : 1);
    const auto delimiter =
        std::find(std::begin(kDelimiters), std::end(kDelimiters), m_file.GetDelimiter());
    Combo(IDC_DELIMITER)->setCurrentIndex(static_cast<int>(delimiter - std::begin(kDelimiters)));
    m_bFilling = false;
    std::string strError;
    m_header.clear();
    m_file.ReadHeader(m_header, strError);
    FillColumnCombos(MapHeader(m_header));
    RefreshPreview();
}

void CImportDlg::FillColumnCombos(const ColumnMapping& mapping) {
    m_bFilling = true;
    for (int field = 0; field < FieldCount; ++field) {
        QComboBox* combo = Combo(IDC_COLUMN_FIRST + field);
        combo->clear();
        combo->addItem(QString::fromUtf8(kTextNoColumn));
        for (size_t column = 0; column < m_header.size() && column < 1000; ++column)
            combo->addItem(QString::fromStdString(m_header[column].empty()
                                                      ? "第 " + std::to_string(column + 1) + " 列"
                                                      : m_header[column]));
        const int mapped = mapping[static_cast<ImportField>(field)];
        combo->setCurrentIndex(mapped >= 0 && mapped < 1000 ? mapped + 1 : 0);
    }
    m_bFilling = false;
}

ColumnMapping CImportDlg::GetMapping() const {
    ColumnMapping mapping;
    for (int field = 0; field < FieldCount; ++field)
        mapping[static_cast<ImportField>(field)] =
            Combo(IDC_COLUMN_FIRST + field)->currentIndex() - 1;
    mapping.nAccount = MapHeader(m_header).nAccount;
    return mapping;
}

ImportOptions CImportDlg::GetOptions() const {
    ImportOptions options;
    options.nKind = kKinds[std::max(0, Combo(IDC_KIND)->currentIndex())];
    options.bAddMissing = Item<QCheckBox>(IDC_ADD_MISSING)->isChecked();
    options.bKeepDuplicates = Item<QCheckBox>(IDC_KEEP_DUPLICATES)->isChecked();
    return options;
}

void CImportDlg::OnEncodingChanged() {
    if (m_bFilling || !m_bLoaded)
        return;
    std::string strError;
    if (!m_file.SetEncoding(kEncodings[Combo(IDC_ENCODING)->currentIndex()], strError))
        ui::MessageBox(this, strError);
    ShowFileSettings();
}

void CImportDlg::OnDelimiterChanged() {
    if (m_bFilling || !m_bLoaded)
        return;
    m_file.SetDelimiter(kDelimiters[Combo(IDC_DELIMITER)->currentIndex()]);
    m_header.clear();
    std::string strError;
    m_file.ReadHeader(m_header, strError);
    FillColumnCombos(MapHeader(m_header));
    RefreshPreview();
}

void CImportDlg::RefreshPreview() {
    if (m_bFilling)
        return;
    m_listPreview->DeleteAllItems();
    SetDlgItemText(IDC_STATUS, "");
    EnableItem(IDC_IMPORT, false);
    if (!m_bLoaded || !m_db.IsOpen())
        return;
    const ImportPreview preview =
        PreviewImport(m_db, m_file, GetMapping(), GetOptions(), kPreviewLines);
    auto* delegate = static_cast<BadLineDelegate*>(m_listPreview->itemDelegate());
    delegate->m_reasons.clear();
    m_listPreview->SetRedraw(false);
    for (size_t row = 0; row < preview.rows.size(); ++row) {
        if (preview.bad[row])
            delegate->m_reasons.insert(QString::fromStdString(preview.rows[row][kReasonColumn]));
        m_listPreview->InsertItem(m_listPreview->GetItemCount(), preview.rows[row]);
    }
    m_listPreview->SetRedraw(true);
    // The reasons are read whole: 说明 is as wide as its longest, never narrower than set.
    m_listPreview->resizeColumnToContents(kReasonColumn);
    if (m_listPreview->columnWidth(kReasonColumn) < m_nReasonWidth)
        m_listPreview->setColumnWidth(kReasonColumn, m_nReasonWidth);
    SetDlgItemText(IDC_STATUS, !preview.strError.empty()
                                   ? preview.strError
                                   : PreviewStatusText(preview.rows.size(), preview.nGood,
                                                       preview.nDuplicates, preview.nBad));
    EnableItem(IDC_IMPORT, preview.strError.empty());
}

void CImportDlg::EnableControls(bool bEnable) {
    for (int id : {int(IDC_CHOOSE_FILE), int(IDC_ENCODING), int(IDC_DELIMITER), int(IDC_KIND),
                   int(IDC_ADD_MISSING), int(IDC_KEEP_DUPLICATES), int(ui::IDCANCEL)})
        EnableItem(id, bEnable);
    for (int field = 0; field < FieldCount; ++field)
        EnableItem(IDC_COLUMN_FIRST + field, bEnable);
    EnableItem(IDC_IMPORT, bEnable && m_bLoaded);
    EnableItem(IDC_SAVE_BAD_LINES, bEnable && !m_badLines.empty());
    EnableItem(IDC_CANCEL_IMPORT, !bEnable);
}

void CImportDlg::OnImport() {
    if (!m_bLoaded || m_bImporting || !m_db.IsOpen())
        return;
    m_bImporting = true;
    m_bCancel = false;
    m_badLines.clear();
    EnableControls(false);
    SetDlgItemText(IDC_STATUS, kTextImporting);
    m_progress->setValue(0);
    // The import runs here, on the window's own thread; it hands the events waiting now and
    // then to the window, so that the bar moves and 取消 can be pressed.
    const auto progress = [this](double done) {
        m_progress->setValue(static_cast<int>(done * 100));
        QApplication::processEvents();
        return !m_bCancel;
    };
    struct Finish {
        CImportDlg* dlg;
        ~Finish() {
            dlg->m_bImporting = false;
            dlg->EnableControls(true);
        }
    } finish{this};
    ImportSummary summary = ImportRecords(m_db, m_file, GetMapping(), GetOptions(), progress);
    if (summary.bCancelled || !summary.strError.empty())
        m_progress->setValue(0);
    const std::string text = ImportSummaryText(summary);
    m_badLines = std::move(summary.badLines);
    RefreshPreview();
    ui::MessageBox(this, text);
}

void CImportDlg::OnSaveBadLines() {
    if (m_badLines.empty())
        return;
    ui::FileDialogRequest request;
    request.bSave = true;
    request.strCaption = kTextSaveBadLines;
    request.filters = {kFilterCsv};
    request.strFileName = "错误行.csv";
    const std::optional<ui::FileDialogAnswer> answer = ui::GetFileName(this, request);
    if (!answer)
        return;
    std::string strError;
    ui::MessageBox(this, SaveBadLines(answer->strPath, m_badLines, strError)
                             ? kTextBadLinesSaved
                             : kTextSaveFailed + strError);
}
