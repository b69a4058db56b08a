#include "inquiry/ExportTarget.h"

#include "exchange/ExchangeTexts.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

std::optional<ExportTarget> AskExportTarget(QWidget* owner, int nRows, const std::string& strName) {
    if (nRows == 0) {
        ui::MessageBox(owner, kTextNothingToExport);
        return std::nullopt;
    }
    ui::FileDialogRequest request;
    request.bSave = true;
    request.strCaption = kTextExportCaption;
    request.filters = {kFilterCsv, kFilterXlsx};
    request.strFileName = strName + ".csv";
    const std::optional<ui::FileDialogAnswer> answer = ui::GetFileName(owner, request);
    if (!answer)
        return std::nullopt;
    return ExportTarget{answer->strPath,
                        answer->nFilter == 1 || answer->strPath.ends_with(".xlsx")};
}
