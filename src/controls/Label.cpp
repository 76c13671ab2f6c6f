#include "controls/Label.h"

CLabel::CLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

CLabel& CLabel::SetFontName(const QString& face) {
    QFont f = font();
    f.setFamily(face);
    // Serif faces such as "Times New Roman" fall back to a serif, not to the default sans face.
    f.setStyleHint(face.contains(QLatin1String("Courier")) ? QFont::Monospace
                   : face.contains(QLatin1String("Times")) ? QFont::Serif
                                                           : QFont::AnyStyle);
    setFont(f);
    return *this;
}

CLabel& CLabel::SetFontSize(int nPixelHeight) {
    QFont f = font();
    f.setPixelSize(nPixelHeight);
    setFont(f);
    return *this;
}

CLabel& CLabel::SetFontBold(bool bBold) {
    QFont f = font();
    f.setBold(bBold);
    setFont(f);
    return *this;
}

CLabel& CLabel::SetFontUnderline(bool bUnderline) {
    QFont f = font();
    f.setUnderline(bUnderline);
    setFont(f);
    return *this;
}

CLabel& CLabel::SetTextColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
    return *this;
}

QColor CLabel::GetTextColor() const {
    return palette().color(QPalette::WindowText);
}
