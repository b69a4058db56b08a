#include "pictures/PictureViewer.h"

#include "pictures/PictureTexts.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QTransform>

#include <algorithm>

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.05;
constexpr double kMaxZoom = 8.0;

} // namespace

CPictureViewer::CPictureViewer(std::string strJpeg, QWidget* parent)
    : ui::Dialog(IDD, parent), m_strJpeg(std::move(strJpeg)), m_area(new QScrollArea(this)),
      m_label(new QLabel(m_area)) {
    m_image = QImage::fromData(QByteArray::fromStdString(m_strJpeg), "JPEG");
    m_area->setWidget(m_label);
    m_area->setAlignment(Qt::AlignCenter);
    m_area->setAccessibleName(QString::fromUtf8(CPictureTexts::kPictureArea));
    m_label->setAccessibleName(QString::fromUtf8(CPictureTexts::kPictureArea));
    UseControl(IDC_PICTURE, m_area);
    OnCommand(IDC_ZOOM_IN, [this] { OnZoom(kZoomStep); });
    OnCommand(IDC_ZOOM_OUT, [this] { OnZoom(1.0 / kZoomStep); });
    OnCommand(IDC_ROTATE, [this] { OnRotate(); });
    OnCommand(IDC_SAVE_AS, [this] { OnSaveAs(); });
}

bool CPictureViewer::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    // Opens showing the whole picture.
    const QSize room = m_area->size() - QSize(4, 4);
    if (!m_image.isNull() && room.isValid())
        m_dZoom = std::min({1.0, static_cast<double>(room.width()) / m_image.width(),
                            static_cast<double>(room.height()) / m_image.height()});
    Show();
    return true;
}

QImage CPictureViewer::Shown() const {
    return m_nTurns == 0 ? m_image : m_image.transformed(QTransform().rotate(90.0 * m_nTurns));
}

void CPictureViewer::Show() {
    const QImage shown = Shown();
    if (shown.isNull())
        return;
    const QSize size(std::max(1, static_cast<int>(shown.width() * m_dZoom + 0.5)),
                     std::max(1, static_cast<int>(shown.height() * m_dZoom + 0.5)));
    m_label->setPixmap(
        QPixmap::fromImage(shown.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_label->resize(size);
}

void CPictureViewer::OnZoom(double dFactor) {
    m_dZoom = std::clamp(m_dZoom * dFactor, kMinZoom, kMaxZoom);
    Show();
}

void CPictureViewer::OnRotate() {
    m_nTurns = (m_nTurns + 1) % 4;
    Show();
}

void CPictureViewer::OnSaveAs() {
    ui::FileDialogRequest request;
    request.bSave = true;
    request.strCaption = CPictureTexts::kSaveCaption;
    request.filters = {CPictureTexts::kSaveFilter};
    request.strFileName = "凭证.jpg";
    const auto answer = ui::GetFileName(this, request);
    if (!answer)
        return;
    bool saved = false;
    if (m_nTurns == 0) {
        // The picture as the ledger keeps it, byte for byte.
        QFile file(QString::fromStdString(answer->strPath));
        saved = file.open(QIODevice::WriteOnly) &&
                file.write(m_strJpeg.data(), static_cast<qint64>(m_strJpeg.size())) ==
                    static_cast<qint64>(m_strJpeg.size()) &&
                file.flush();
    } else {
        saved = Shown().save(QString::fromStdString(answer->strPath), "JPEG", 85);
    }
    if (!saved)
        ui::MessageBox(this, CPictureTexts::kSaveFailed);
}
