#include "pictures/PictureStrip.h"

#include "data/ADODatabase.h"
#include "data/InTransaction.h"
#include "pictures/PicturePrep.h"
#include "pictures/PictureStore.h"
#include "pictures/PictureTexts.h"
#include "pictures/PictureViewer.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/HandlerBoundary.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

namespace {

constexpr int kIconSide = 56;

bool CarriesPictures(const QMimeData* data) {
    return data && (data->hasImage() || data->hasUrls());
}

} // namespace

CPictureStrip::CPictureStrip(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setMovement(QListView::Static);
    setIconSize(QSize(kIconSide, kIconSide));
    setSpacing(2);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    setAccessibleName(QString::fromUtf8(CPictureTexts::kLabel));
    const auto open = [this](QListWidgetItem* item) {
        ui::RunHandler(window(), [this, item] { OpenRow(row(item)); });
    };
    connect(this, &QListWidget::itemClicked, this, open);
    // Enter on a thumbnail chosen with the arrow keys; a click has opened it already.
    connect(this, &QListWidget::activated, this, [this, open](const QModelIndex& index) {
        if (QApplication::mouseButtons() == Qt::NoButton)
            open(item(index.row()));
    });
}

void CPictureStrip::ShowRecord(CADODatabase* pDatabase, const std::string& strTable,
                               std::int64_t nRecord) {
    m_pDatabase = pDatabase;
    m_strTable = strTable;
    m_nRecord = nRecord;
    m_pending.clear();
    Reload();
}

void CPictureStrip::HoldForNewRecord(CADODatabase* pDatabase) {
    m_pDatabase = pDatabase;
    m_strTable.clear();
    m_nRecord = 0;
    ClearPending();
}

void CPictureStrip::ClearPending() {
    m_pending.clear();
    if (m_nRecord == 0)
        clear();
}

void CPictureStrip::AppendThumbnail(const std::string& strThumbnail, const QVariant& key) {
    // Decoded straight at the strip's size: the decoder then skips most of the work.
    QBuffer buffer;
    buffer.setData(QByteArray::fromRawData(strThumbnail.data(),
                                           static_cast<qsizetype>(strThumbnail.size())));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(iconSize(), Qt::KeepAspectRatio));
    auto* item =
        new QListWidgetItem(QIcon(QPixmap::fromImage(reader.read())), QString(), this);
    item->setData(Qt::UserRole, key);
    item->setToolTip(QString::fromUtf8(CPictureTexts::kLabel) + QString::number(count()));
    item->setData(Qt::AccessibleTextRole, item->toolTip());
}

void CPictureStrip::Reload() {
    clear();
    if (!m_pDatabase || !m_pDatabase->IsOpen() || m_nRecord == 0)
        return;
    for (const CPictureStore::Thumbnail& thumbnail :
         CPictureStore(*m_pDatabase).Thumbnails(m_strTable, m_nRecord))
        AppendThumbnail(thumbnail.strThumbnail, QVariant::fromValue<qlonglong>(thumbnail.nId));
}

bool CPictureStrip::Add(CPreparedPicture picture) {
    if (m_nRecord == 0) {
        for (const CPreparedPicture& held : m_pending)
            if (held.strHash == picture.strHash)
                return true;
        AppendThumbnail(picture.strThumbnail,
                        QVariant::fromValue<qlonglong>(static_cast<qlonglong>(m_pending.size())));
        m_pending.push_back(std::move(picture));
        return true;
    }
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        return false;
    CPictureStore store(*m_pDatabase);
    std::string error;
    if (!store.Ensure(error)) {
        ui::MessageBox(window(), error);
        return false;
    }
    std::int64_t nPicture = 0;
    InTransaction(*m_pDatabase,
                  [&] { nPicture = store.Attach(m_strTable, m_nRecord, picture); });
    Reload();
    return nPicture != 0;
}

bool CPictureStrip::AddFile(const std::string& path) {
    CPreparedPicture picture;
    std::string error;
    if (!CPicturePrep::FromFile(path, picture, error)) {
        ui::MessageBox(window(), error);
        return false;
    }
    return Add(std::move(picture));
}

void CPictureStrip::AddChosenFiles() {
    ui::FileDialogRequest request;
    request.strCaption = CPictureTexts::kChooseCaption;
    request.filters = {CPictureTexts::kChooseFilter, CPictureTexts::kAnyFilter};
    if (const auto answer = ui::GetFileName(window(), request))
        AddFile(answer->strPath);
}

bool CPictureStrip::AddFrom(const QMimeData* pData) {
    if (!CarriesPictures(pData))
        return false;
    if (pData->hasUrls()) {
        bool added = false;
        for (const QUrl& url : pData->urls())
            if (url.isLocalFile())
                added = AddFile(url.toLocalFile().toStdString()) || added;
        return added;
    }
    CPreparedPicture picture;
    std::string error;
    if (!CPicturePrep::FromImage(qvariant_cast<QImage>(pData->imageData()), picture, error)) {
        ui::MessageBox(window(), error);
        return false;
    }
    return Add(std::move(picture));
}

void CPictureStrip::Paste() {
    const QMimeData* pData = QApplication::clipboard()->mimeData();
    if (!CarriesPictures(pData)) {
        ui::MessageBox(window(), CPictureTexts::kNothingToPaste);
        return;
    }
    AddFrom(pData);
}

void CPictureStrip::DeleteSelected() {
    QListWidgetItem* item = currentItem();
    if (!item || ui::AskYesNo(window(), CPictureTexts::kDeleteQuestion) != ui::IDYES)
        return;
    const qlonglong key = item->data(Qt::UserRole).toLongLong();
    if (m_nRecord == 0) {
        m_pending.erase(m_pending.begin() + key);
        const std::vector<CPreparedPicture> kept = std::move(m_pending);
        m_pending.clear();
        clear();
        for (const CPreparedPicture& picture : kept)
            Add(picture);
        return;
    }
    if (m_pDatabase && m_pDatabase->IsOpen())
        CPictureStore(*m_pDatabase).Detach(m_strTable, m_nRecord, key);
    Reload();
}

void CPictureStrip::OpenRow(int nRow) {
    QListWidgetItem* pItem = item(nRow);
    if (!pItem)
        return;
    const qlonglong key = pItem->data(Qt::UserRole).toLongLong();
    std::string jpeg;
    if (m_nRecord == 0) {
        if (key >= 0 && static_cast<size_t>(key) < m_pending.size())
            jpeg = m_pending[static_cast<size_t>(key)].strJpeg;
    } else if (m_pDatabase && m_pDatabase->IsOpen()) {
        jpeg = CPictureStore(*m_pDatabase).Picture(key);
    }
    if (jpeg.empty())
        return;
    CPictureViewer viewer(jpeg, window());
    viewer.DoModal();
}

void CPictureStrip::dragEnterEvent(QDragEnterEvent* event) {
    if (CarriesPictures(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CPictureStrip::dragMoveEvent(QDragMoveEvent* event) {
    if (CarriesPictures(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CPictureStrip::dropEvent(QDropEvent* event) {
    if (!CarriesPictures(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    ui::RunHandler(window(), [this, event] { AddFrom(event->mimeData()); });
}

void CPictureStrip::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        ui::RunHandler(window(), [this] { Paste(); });
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        ui::RunHandler(window(), [this] { DeleteSelected(); });
        return;
    }
    QListWidget::keyPressEvent(event);
}
