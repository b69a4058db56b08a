#pragma once

#include "platform/ui/Dialog.h"

#include <QImage>

#include <string>

class QLabel;
class QScrollArea;

/// A receipt full size: 放大, 缩小, 旋转 (a quarter turn clockwise, for looking only), and
/// 另存为… (the stored JPEG as it is, or as turned).
class CPictureViewer : public ui::Dialog {
public:
    enum { IDD = 250 };
    enum ControlId {
        IDC_PICTURE = 2501,
        IDC_ZOOM_IN = 2502,
        IDC_ZOOM_OUT = 2503,
        IDC_ROTATE = 2504,
        IDC_SAVE_AS = 2505,
    };

    CPictureViewer(std::string strJpeg, QWidget* parent = nullptr);

    /// How large the picture is shown, 1 for its own size.
    double Zoom() const { return m_dZoom; }
    /// Quarter turns clockwise, 0 to 3.
    int Turns() const { return m_nTurns; }
    /// The picture as shown (turned), at its own size.
    QImage Shown() const;

protected:
    bool OnInitDialog() override;
    void OnZoom(double dFactor);
    void OnRotate();
    void OnSaveAs();

private:
    void Show();

    std::string m_strJpeg;
    QImage m_image;
    QScrollArea* m_area;
    QLabel* m_label;
    double m_dZoom = 1.0;
    int m_nTurns = 0;
};
