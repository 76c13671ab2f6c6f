#pragma once

#include <QStatusBar>
#include <vector>

class QLabel;

// The status bar as panes addressed by index. Pane 0 is the message pane: it shows the idle text,
// and menu prompts pass over it; the other panes keep their place at the right. Every pane is a QLabel,
// so the accessibility bus has each one's text as its name.
class CStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CStatusBar(QWidget* parent = nullptr);

    // One pane per id; pane 0 is the message pane whatever its id.
    bool SetIndicators(const std::vector<int>& ids);
    void SetPaneInfo(int nIndex, int nID, int cxWidth);
    int GetPaneCount() const { return static_cast<int>(m_panes.size()); }
    int GetItemID(int nIndex) const;
    int CommandToIndex(int nID) const;
    bool SetPaneText(int nIndex, const QString& text);
    QString GetPaneText(int nIndex) const;
    QLabel* GetPane(int nIndex) const;

private:
    struct Pane {
        int id;
        QLabel* label;
    };
    std::vector<Pane> m_panes;
};
