#pragma once

#include "framework/DialogTemplate.h"
#include "framework/View.h"

#include <QScrollArea>

// A view whose face is a dialog template: the controls sit on a page of the template's size, and the
// view scrolls when it is smaller than the page. Button clicks are commands of the view (and so reach
// its document and frame too); edit changes come to OnControlChanged.
class CFormView : public QScrollArea, public CView, public CDlgHost {
    Q_OBJECT
public:
    explicit CFormView(int nIDTemplate);
    ~CFormView() override;

    QWidget* GetWnd() override { return this; }
    QWidget* GetPage() const { return m_pPage; }
    QSize GetTemplateSize() const { return m_templateSize; }

    QWidget* GetDlgItem(int nID) const { return FindDlgItem(m_pPage, nID); }
    QString GetDlgItemText(int nID) const { return GetControlText(GetDlgItem(nID)); }
    void SetDlgItemText(int nID, const QString& text) { SetControlText(GetDlgItem(nID), text); }

    // The first control that Tab would reach on the page (template order), or null.
    QWidget* GetFirstTabControl() const;
    // Puts the caret into the first control; false when the form has none that takes the focus.
    bool FocusFirstControl();

protected:
    virtual void OnControlChanged(int /*nID*/, Notify /*code*/) {}
    void OnDlgNotify(int nID, Notify code) override;
    // The form itself is no stop for Tab: focus given to it goes on to its first control.
    void focusInEvent(QFocusEvent* event) override;
    // A button's mnemonic (Alt+letter) clicks it at once, not after the toolkit's animated press:
    // the keys typed right after it belong to the form the click leads to, and must not be lost.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_pPage;
    QSize m_templateSize;
};
