#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <vector>

class QWidget;

// A dialog or form laid out in dialog units: x units are a quarter of the font's average character
// width, y units an eighth of its height, so the layout scales with the font.
enum class DlgKind {
    Static,        // text label
    Icon,          // picture showing an icon resource (iconId)
    Bitmap,        // picture showing an image resource (iconId)
    GroupBox,      // frame with a caption around other controls
    PushButton,    // button; iconId gives it an icon
    DefPushButton, // the default button (Enter)
    CheckBox,      // check box
    Edit,          // single-line edit field
    Password,      // single-line edit field that hides its characters
    MultiEdit,     // multi-line edit field
    ComboDropDown, // combo box with an edit field
    ComboList,     // combo box without an edit field
    Custom,        // a control class registered by name (className); a plain frame when unknown
    RadioButton,   // radio button; the radio buttons of one dialog make one group
};

// Style flags of a dialog item.
constexpr unsigned DS_DISABLED = 0x1;   // created disabled
constexpr unsigned DS_HIDDEN = 0x2;     // created hidden
constexpr unsigned DS_TEXTLEFT = 0x4;   // check box with its text on the left
constexpr unsigned DS_READONLY = 0x8;   // edit field that can't be changed
constexpr unsigned DS_CENTER = 0x10;    // centred text
constexpr unsigned DS_RIGHT = 0x20;     // right-aligned text
constexpr unsigned DS_NOTABSTOP = 0x40; // not reached with Tab

struct DlgItem {
    DlgKind kind;
    int id; // 0 (or -1) for controls nobody asks for
    const char* text;
    int x, y, cx, cy;
    unsigned style = 0;
    int iconId = 0;
    const char* tooltip = nullptr;
    // For any kind: a registered control class that replaces the plain control (same text, icon, id).
    const char* className = nullptr;
    // What a screen reader calls a control that no static names (a static right before a field, or
    // one with an access letter, names the control after it).
    const char* name = nullptr;
};

struct DlgTemplate {
    int id;
    const char* caption;
    int cx, cy;
    std::vector<DlgItem> items;
};

// Receives the notifications of the controls built from a template.
class CDlgHost {
public:
    enum Notify { Clicked, Changed, SelChange };
    virtual ~CDlgHost() = default;
    virtual void OnDlgNotify(int nID, Notify code) = 0;
};

// Converts between dialog units and pixels for a font.
class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);
    int ToPixelsX(int units) const { return (units * m_baseX + 2) / 4; }
    int ToPixelsY(int units) const { return (units * m_baseY + 4) / 8; }
    QSize ToPixels(int cx, int cy) const { return {ToPixelsX(cx), ToPixelsY(cy)}; }
    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

private:
    int m_baseX;
    int m_baseY;
};

// Builds the template's controls as children of parent (in template order, which is the Tab order)
// and returns the pixel size of the template. Notifications go to host when it is given.
// A static's "&" marks its access letter ("&&" is a plain "&"): the static becomes the buddy of the
// next control Tab reaches, so Alt+letter goes there and the control is named after the static. A
// static without a letter right before a field names that field too.
QSize BuildDialogControls(const DlgTemplate& tmpl, QWidget* parent, CDlgHost* host);

// The control with the numeric id among parent's descendants, or null.
QWidget* FindDlgItem(const QWidget* parent, int nID);
// The text of a control of any kind (edit, combo, button, label, group box) and setting it. Text set
// into a static that names a control is shown as it is: an "&" in it is no access letter.
QString GetControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);
// The numeric id of a control built from a template, or 0.
int GetDlgCtrlID(const QWidget* control);

// Control classes that may replace the plain controls of a template (see DlgItem::className).
using ControlFactory = QWidget* (*)(const DlgItem& item, QWidget* parent);
void RegisterControlClass(const char* className, ControlFactory factory);
