#include "controls/Controls.h"

#include "controls/IconButton.h"
#include "controls/Label.h"
#include "controls/LinkLabel.h"
#include "controls/ShadedButton.h"
#include "controls/StrengthMeter.h"
#include "framework/DialogTemplate.h"
#include "res/Resources.h"

namespace {

QString ItemText(const DlgItem& item) {
    return QString::fromUtf8(item.text ? item.text : "");
}

QWidget* MakeIconButton(const DlgItem& item, QWidget* parent) {
    return new CIconButton(LoadResIcon(item.iconId), ItemText(item), parent);
}

QWidget* MakeShadedButton(const DlgItem& item, QWidget* parent) {
    return new CShadedButton(LoadResIcon(item.iconId), ItemText(item), parent);
}

QWidget* MakeLinkButton(const DlgItem& item, QWidget* parent) {
    auto* button = new CShadedButton(LoadResIcon(item.iconId), ItemText(item), parent);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QWidget* MakeLabel(const DlgItem& item, QWidget* parent) {
    return new CLabel(ItemText(item), parent);
}

QWidget* MakeLinkLabel(const DlgItem& item, QWidget* parent) {
    return new CLinkLabel(ItemText(item), parent);
}

QWidget* MakeStrengthMeter(const DlgItem&, QWidget* parent) {
    return new CStrengthMeter(parent);
}

} // namespace

void RegisterControlClasses() {
    RegisterControlClass("IconButton", &MakeIconButton);
    RegisterControlClass("ShadedButton", &MakeShadedButton);
    RegisterControlClass("LinkButton", &MakeLinkButton);
    RegisterControlClass("Label", &MakeLabel);
    RegisterControlClass("LinkLabel", &MakeLinkLabel);
    RegisterControlClass("StrengthMeter", &MakeStrengthMeter);
}
