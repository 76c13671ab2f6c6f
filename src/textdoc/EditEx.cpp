#include "textdoc/EditEx.h"

#include "framework/DialogTemplate.h"
#include "framework/Utf8Text.h"
#include "passwords/WebAddress.h"
#include "res/resource.h"
#include "textdoc/CommandMenu.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QPalette>

namespace {

// The first line, read the way the field's line is read for the address test: at most 255 characters.
constexpr int kUrlLineLimit = 255;

// Pitch and family bits of a font request.
constexpr int kFixedPitch = 0x01;
constexpr int kVariablePitch = 0x02;
constexpr int kFamilyRoman = 0x10;
constexpr int kFamilySwiss = 0x20;
constexpr int kFamilyModern = 0x30;
constexpr int kFamilyScript = 0x40;
constexpr int kFamilyDecorative = 0x50;

QWidget* MakeEditEx(const DlgItem& item, QWidget* parent) {
    if (item.kind != DlgKind::Edit && item.kind != DlgKind::Password)
        return nullptr;
    auto* edit = new CEditEx(parent);
    edit->setText(QString::fromUtf8(item.text ? item.text : ""));
    if (item.kind == DlgKind::Password)
        edit->setEchoMode(QLineEdit::Password);
    edit->setReadOnly(item.style & DS_READONLY);
    return edit;
}

} // namespace

CEditEx::CEditEx(QWidget* parent)
    : QLineEdit(parent), m_crBackColor(QApplication::palette().color(QPalette::Base)),
      m_crForeColor(QApplication::palette().color(QPalette::Text)) {
    CreateBackBrush();
    OnCtlColor();
}

CEditEx::~CEditEx() = default;

void CEditEx::RegisterControlClass() {
    ::RegisterControlClass("EditEx", &MakeEditEx);
}

void CEditEx::CreateBackBrush() {
    m_brBackground = QBrush(m_crBackColor, Qt::SolidPattern);
}

void CEditEx::OnCtlColor() {
    QPalette colours = palette();
    colours.setColor(QPalette::Text, m_crForeColor);
    colours.setBrush(QPalette::Base, m_brBackground);
    setPalette(colours);
}

QColor CEditEx::SetBackColor(const QColor& colour) {
    const QColor previous = m_crBackColor;
    m_crBackColor = colour;
    CreateBackBrush();
    OnCtlColor();
    update();
    return previous;
}

QColor CEditEx::SetForeColor(const QColor& colour) {
    const QColor previous = m_crForeColor;
    m_crForeColor = colour;
    OnCtlColor();
    update();
    return previous;
}

void CEditEx::ApplyFont(int nHeight, int /*nWeight*/, int nPitchAndFamily, const QString& faceName) {
    setFont(MakeFieldFont(nHeight, nPitchAndFamily, faceName));
    update();
}

QFont CEditEx::MakeFieldFont(int nHeight, int nPitchAndFamily, const QString& faceName) {
    QFont font(faceName);
    // The field's text is never bold, whatever weight is asked for.
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    switch (nPitchAndFamily & 0xF0) {
    case kFamilyRoman:
        font.setStyleHint(QFont::Serif);
        break;
    case kFamilySwiss:
        font.setStyleHint(QFont::SansSerif);
        break;
    case kFamilyModern:
        font.setStyleHint(QFont::TypeWriter);
        break;
    case kFamilyScript:
        font.setStyleHint(QFont::Cursive);
        break;
    case kFamilyDecorative:
        font.setStyleHint(QFont::Decorative);
        break;
    default:
        break;
    }
    if ((nPitchAndFamily & 0x03) == kFixedPitch)
        font.setFixedPitch(true);
    else if ((nPitchAndFamily & 0x03) == kVariablePitch)
        font.setFixedPitch(false);
    if (nHeight < 0) {
        font.setPixelSize(-nHeight);
    } else if (nHeight > 0) {
        // A positive height is the whole cell, internal leading included: scale the character size to fit.
        font.setPixelSize(nHeight);
        const int cell = QFontMetrics(font).height();
        if (cell > nHeight)
            font.setPixelSize(qMax(1, nHeight * nHeight / cell));
    }
    return font;
}

QUrl CEditEx::WebAddressOf(const QString& firstLine) {
    // The field may be a password's: its text goes to the rule in memory that is wiped.
    const std::string address = ::WebAddressOf(SecureUtf8(firstLine.left(kUrlLineLimit)).view());
    if (address.empty())
        return QUrl();
    // An address the toolkit cannot parse could not be opened, so it is not offered either.
    const QUrl url(QString::fromStdString(address), QUrl::TolerantMode);
    return url.isValid() ? url : QUrl();
}

QMenu* CEditEx::BuildContextMenu() {
    return BuildContextMenuFor(this, text(), static_cast<int>(text().size()), hasSelectedText());
}

QMenu* CEditEx::BuildContextMenuFor(QWidget* owner, const QString& firstLine, int n, bool bSelection) {
    std::vector<textdoc::CommandItem> items = {{ID_EDIT_UNDO, "&Undo\tCtrl+Z"},
                                               {0, nullptr},
                                               {ID_EDIT_CUT, "Cu&t\tCtrl+X"},
                                               {ID_EDIT_COPY, "&Copy\tCtrl+C"},
                                               {ID_EDIT_PASTE, "&Paste\tCtrl+V"}};
    if (n > 0) {
        items.push_back({bSelection ? ID_EDIT_CLEAR : ID_EDIT_FIELD_NO_DELETE, "&Delete\tDel"});
        items.push_back({0, nullptr});
        items.push_back({ID_EDIT_SELECT_ALL, "Select A&ll\tCtrl+A"});
    } else {
        items.push_back({ID_EDIT_FIELD_NO_DELETE, "&Delete\tDel"});
        items.push_back({0, nullptr});
        items.push_back({ID_EDIT_FIELD_NO_SELECT_ALL, "Select A&ll\tCtrl+A"});
    }
    items.push_back({0, nullptr});
    // The link is the first line's, wherever the caret is: what Ctrl+G would open.
    items.push_back(
        {WebAddressOf(firstLine).isValid() ? ID_GO_TO_URL : ID_EDIT_FIELD_NO_URL, "Go to the URL...\tCtrl+G"});
    return textdoc::BuildCommandMenu(items, owner);
}

void CEditEx::contextMenuEvent(QContextMenuEvent* event) {
    textdoc::PopupCommandMenu(BuildContextMenu(), event->globalPos(), nullptr);
}
