#pragma once

#include "pictures/PreparedPicture.h"

#include <QListWidget>

#include <cstdint>
#include <string>
#include <vector>

class CADODatabase;
class QMimeData;

/// The 凭证 strip of the record windows: the record's pictures as thumbnails. Pictures come
/// from the file chooser, the clipboard (Ctrl+V) or a drop; a click opens one full size;
/// Delete (or the window's 删除凭证) asks first. Bound to a stored record, every change is
/// written at once; for a record not written yet, the pictures wait in the strip until the
/// window writes the record and takes them.
class CPictureStrip : public QListWidget {
    Q_OBJECT

public:
    explicit CPictureStrip(QWidget* parent);

    /// Shows the pictures of record `nRecord` of `strTable`; changes go to the ledger.
    void ShowRecord(CADODatabase* pDatabase, const std::string& strTable, std::int64_t nRecord);
    /// Holds pictures for a record the window has still to write.
    void HoldForNewRecord(CADODatabase* pDatabase);
    /// The pictures waiting for the new record.
    const std::vector<CPreparedPicture>& Pending() const { return m_pending; }
    /// Forgets the waiting pictures (the record that took them is written).
    void ClearPending();

    /// Adds a file; false (after telling the user why) when it is refused.
    bool AddFile(const std::string& path);
    /// Asks for files and adds them.
    void AddChosenFiles();
    /// Adds what the clipboard holds: a picture, or files copied in a file manager.
    void Paste();
    /// Adds what a drop carries; true when it carried something to add.
    bool AddFrom(const QMimeData* pData);
    /// Deletes the selected picture after asking.
    void DeleteSelected();
    /// Opens the picture in row `nRow` full size.
    void OpenRow(int nRow);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Add(CPreparedPicture picture);
    void Reload();
    void AppendThumbnail(const std::string& strThumbnail, const QVariant& key);

    CADODatabase* m_pDatabase = nullptr;
    std::string m_strTable;
    std::int64_t m_nRecord = 0;
    std::vector<CPreparedPicture> m_pending;
};
