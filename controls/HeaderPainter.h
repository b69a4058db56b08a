#pragma once

#include <QRect>

#include <string>

/// What the report header draws a heading with: fills, texts and one-pixel pen lines in
/// the system's button colours. The Qt painter draws; a test records.
class CHeaderPainter {
public:
    enum class Colour { ButtonFace, ButtonHighlight, ButtonShadow };
    /// Alignment of a heading text (single line, vertically centred, end ellipsis).
    enum class Align { Left, Center, Right };

    virtual ~CHeaderPainter() = default;

    virtual void Save() = 0;
    virtual void Restore() = 0;
    virtual void SetClipRect(const QRect& rect) = 0;
    virtual void FillRect(const QRect& rect, Colour colour) = 0;
    virtual void DrawText(const QRect& rect, const std::string& text, Align align) = 0;
    /// A solid pen one pixel wide for the lines that follow.
    virtual void SelectPen(Colour colour) = 0;
    virtual void MoveTo(int x, int y) = 0;
    /// A line from the current position; the end becomes the current position.
    virtual void LineTo(int x, int y) = 0;
};
