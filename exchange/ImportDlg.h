#pragma once

#include "data/ADODatabase.h"
#include "exchange/ColumnMapping.h"
#include "exchange/ImportChecker.h"
#include "exchange/ImportFile.h"
#include "exchange/RecordImport.h"
#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

class CReportCtrl;
class QComboBox;
class QProgressBar;

/// 导入记录: reads a CSV file (encoding, delimiter and columns detected and changeable),
/// previews its first lines as they will be stored, and imports them in one transaction
/// with a progress bar and a 取消 that rolls everything back.
class CImportDlg : public ui::Dialog {
public:
    enum { IDD = 142 };
    enum ControlId {
        IDC_FILE = 1101,
        IDC_CHOOSE_FILE = 1102,
        IDC_ENCODING = 1103,
        IDC_DELIMITER = 1104,
        IDC_KIND = 1105,
        IDC_ADD_MISSING = 1106,
        IDC_KEEP_DUPLICATES = 1107,
        IDC_COLUMN_FIRST = 1110, // one combo per ImportField, in its order
        IDC_PREVIEW = 1120,
        IDC_STATUS = 1121,
        IDC_PROGRESS = 1122,
        IDC_SAVE_BAD_LINES = 1123,
        IDC_IMPORT = 1124,
        IDC_CANCEL_IMPORT = 1125,
    };
    /// Lines shown in the preview.
    static constexpr std::size_t kPreviewLines = 200;

    explicit CImportDlg(QWidget* parent = nullptr);
    ~CImportDlg() override;

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

    void OnChooseFile();
    void OnEncodingChanged();
    void OnDelimiterChanged();
    void OnImport();
    void OnCancelImport() { m_bCancel = true; }
    void OnSaveBadLines();

    CADODatabase m_db;
    CReportCtrl* m_listPreview;
    QProgressBar* m_progress = nullptr;
    CImportFile m_file;
    std::vector<std::string> m_header;
    bool m_bLoaded = false;
    bool m_bImporting = false;
    bool m_bCancel = false;
    std::vector<BadLine> m_badLines;

private:
    QComboBox* Combo(int id) const;
    void ShowFileSettings();
    void FillColumnCombos(const ColumnMapping& mapping);
    ColumnMapping GetMapping() const;
    ImportOptions GetOptions() const;
    void RefreshPreview();
    void EnableControls(bool bEnable);
    bool m_bFilling = false; // combos are being filled: their changes are ours
    int m_nReasonWidth = 0;  // 说明's width as the window opens
};
