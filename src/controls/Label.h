#pragma once

#include <QLabel>

// A label with its own face, character height in pixels, weight and colour.
class CLabel : public QLabel {
    Q_OBJECT
public:
    explicit CLabel(const QString& text = {}, QWidget* parent = nullptr);

    // The face is asked for by name; the font system substitutes a metric-compatible one if needed.
    CLabel& SetFontName(const QString& face);
    CLabel& SetFontSize(int nPixelHeight);
    CLabel& SetFontBold(bool bBold);
    CLabel& SetFontUnderline(bool bUnderline);
    CLabel& SetTextColor(const QColor& color);
    QColor GetTextColor() const;
};
