#pragma once

#include <QString>
#include <optional>

// The state a command's user interface should show: enabled, checked and (rarely) its text.
// One is filled per command by the update-UI route; menus, tool bar buttons and accelerators read it.
class CCmdUI {
public:
    explicit CCmdUI(int nID) : m_nID(nID) {}

    int GetID() const { return m_nID; }

    void Enable(bool bOn = true) { m_bEnabled = bOn; }
    void SetCheck(bool bChecked = true) { m_checked = bChecked; }
    void SetText(const QString& text) { m_text = text; }

    bool IsEnabled() const { return m_bEnabled; }
    bool IsCheckable() const { return m_checked.has_value(); }
    bool IsChecked() const { return m_checked.value_or(false); }
    const std::optional<QString>& GetText() const { return m_text; }

private:
    int m_nID;
    bool m_bEnabled = true;
    std::optional<bool> m_checked;
    std::optional<QString> m_text;
};
