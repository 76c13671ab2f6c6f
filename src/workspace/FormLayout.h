#pragma once

#include <QPointer>
#include <QSize>
#include <vector>

class CFormView;
class QWidget;

// Widens (or moves) a form's controls with its pane. Sizes are measured against the template: while
// the pane is smaller than the template the form scrolls and the controls keep their template size.
class CFormLayout {
public:
    enum Flags { LAYOUT_MOVE_X = 1, LAYOUT_MOVE_Y = 2, LAYOUT_SIZE_X = 4, LAYOUT_SIZE_Y = 8 };

    CFormLayout() = default;
    CFormLayout(const CFormLayout&) = delete;
    CFormLayout& operator=(const CFormLayout&) = delete;
    ~CFormLayout() { Clear(); }

    // Remembers the form; its template size becomes the design size and its client size now the reference.
    void Attach(CFormView* form);
    // False, and nothing registered, when not attached or the form has no control with that id.
    bool AddControl(int nID, int nFlags);
    // The same for a control the template does not have (made by the form itself).
    bool AddWidget(QWidget* control, int nFlags);
    // Moves the registered controls by the change of the client size since it was last measured.
    void Layout();
    void Clear() { m_entries.clear(); }

    QSize GetDesignSize() const { return m_designSize; }
    QSize GetReferenceSize() const { return m_referenceSize; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }

private:
    QSize ClientSize() const;

    struct Entry {
        QPointer<QWidget> control;
        int nFlags;
    };
    CFormView* m_pForm = nullptr;
    QSize m_designSize;
    QSize m_referenceSize;
    std::vector<Entry> m_entries;
};
