#pragma once

#include <QHeaderView>

#include <string>

namespace ui {

/// Header item format flags beyond the alignment (LVCFMT_* share the low bits).
constexpr int HDF_OWNERDRAW = 0x8000;

/// The heading row of a report list. A heading whose format carries HDF_OWNERDRAW is drawn
/// by DrawItem, which a derived header overrides; the others are drawn as usual. The
/// format is kept by the model (role kFormatRole of its horizontal header data), so it
/// stays with its column when columns are inserted.
class HeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    static constexpr int kFormatRole = Qt::UserRole + 1;

    explicit HeaderCtrl(QWidget* parent = nullptr);
    ~HeaderCtrl() override;

    int GetItemCount() const { return count(); }
    /// The heading's format, or −1 for a heading that does not exist.
    int GetItemFormat(int item) const;
    bool SetItemFormat(int item, int format);
    std::string GetItemText(int item) const;
    /// Whether the mouse button is held down on this heading.
    bool IsItemPressed(int item) const { return item >= 0 && item == m_nPressed; }

protected:
    /// Draws an owner-drawn heading into `rect`; the painter's state is saved around the
    /// call. The default draws nothing.
    virtual void DrawItem(QPainter& painter, const QRect& rect, int item) const;

    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetPressed(int item);

    int m_nPressed = -1;
};

} // namespace ui
