// View, Font and Zoom of the text view: a way of reading, kept in the profile and shared by every text
// window, like word wrap.

#include "textdoc/EditorView.h"

#include "framework/WinApp.h"
#include "res/resource.h"
#include "textdoc/TextFontDlg.h"

#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

const QString kSettingsSection = QStringLiteral("Settings");
const QString kFontEntry = QStringLiteral("TextFont");
const QString kZoomEntry = QStringLiteral("TextZoom");

// Zooming out stops at a size still worth showing, zooming in at a few times the font's own size.
constexpr double kLeastPointSize = 4;
constexpr double kMostTimesOwnSize = 4;
constexpr int kWheelNotch = QWheelEvent::DefaultDeltasPerStep;

// Courier New 10 pt, or the fixed-pitch font that stands in for it here.
QFont DefaultFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), QStringLiteral("monospace")});
    font.setFixedPitch(true);
    font.setPointSize(10);
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

double OwnSize(const QFont& font) {
    return font.pointSizeF() > 0 ? font.pointSizeF() : 10;
}

// The zoom within the limits for this font, in whole points.
int ClampZoom(const QFont& font, int nPoints) {
    const double own = OwnSize(font);
    const int least = -static_cast<int>(std::floor(own - std::min(kLeastPointSize, own)));
    const int most = static_cast<int>(std::floor(own * (kMostTimesOwnSize - 1)));
    return std::clamp(nPoints, least, most);
}

} // namespace

QFont CEditorView::ChosenFont() {
    CWinApp* app = AfxGetApp();
    const QString saved = app ? app->GetProfileString(kSettingsSection, kFontEntry, QString()) : QString();
    QFont font;
    // A profile edited by hand, or a font given in pixels, falls back to the default.
    if (saved.isEmpty() || !font.fromString(saved) || font.pointSizeF() <= 0)
        return DefaultFont();
    return font;
}

int CEditorView::GetZoom() {
    CWinApp* app = AfxGetApp();
    return app ? ClampZoom(ChosenFont(), app->GetProfileInt(kSettingsSection, kZoomEntry, 0)) : 0;
}

void CEditorView::SetChosenFont(const QFont& font) {
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileString(kSettingsSection, kFontEntry, font.toString());
    ApplyToEveryView(&CEditorView::ApplyFont);
}

void CEditorView::SetZoom(int nPoints) {
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSettingsSection, kZoomEntry, ClampZoom(ChosenFont(), nPoints));
    ApplyToEveryView(&CEditorView::ApplyFont);
}

void CEditorView::ApplyFont() {
    QFont font = ChosenFont();
    font.setPointSizeF(OwnSize(font) + GetZoom());
    setFont(font);
    ensureCursorVisible();
}

void CEditorView::MapZoomCommands() {
    // Each is enabled while it would change something: a key held down at a limit does nothing.
    const auto canZoomTo = [](int nPoints) { return ClampZoom(ChosenFont(), nPoints) != GetZoom(); };
    MapCommand(
        ID_VIEW_ZOOM_IN, [] { SetZoom(GetZoom() + 1); },
        [canZoomTo](CCmdUI& ui) { ui.Enable(canZoomTo(GetZoom() + 1)); });
    MapCommand(
        ID_VIEW_ZOOM_OUT, [] { SetZoom(GetZoom() - 1); },
        [canZoomTo](CCmdUI& ui) { ui.Enable(canZoomTo(GetZoom() - 1)); });
    MapCommand(
        ID_VIEW_ZOOM_RESET, [] { SetZoom(0); }, [](CCmdUI& ui) { ui.Enable(GetZoom() != 0); });
    MapCommand(ID_VIEW_FONT, [this] { OnChooseFont(); });
}

void CEditorView::OnChooseFont() {
    // The font itself, at its own size: the zoom stays as it is on top of whatever is chosen.
    CTextFontDlg dialog(ChosenFont(), this);
    if (dialog.exec() == QDialog::Accepted)
        SetChosenFont(dialog.selectedFont());
}

void CEditorView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        m_nWheelZoom = 0;
        QPlainTextEdit::wheelEvent(event);
        return;
    }
    // The editor's own Ctrl+wheel would zoom this window alone, and only until it is closed.
    m_nWheelZoom += event->angleDelta().y();
    const int steps = m_nWheelZoom / kWheelNotch;
    m_nWheelZoom -= steps * kWheelNotch;
    if (steps != 0)
        SetZoom(GetZoom() + steps);
    event->accept();
}
