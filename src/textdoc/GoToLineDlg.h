#pragma once

#include "docs/LockAwareDialog.h"

// "Go To Line": a line of the text, or "line:column", checked against the text before the dialog ends.
class CGoToLineDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    // lineCount: the lines of the text, which the answer must stay within.
    CGoToLineDlg(int lineCount, QWidget* pParent = nullptr);

    // After OK: 1-based; the column is 1 when none was given.
    int m_nLine = 1;
    int m_nColumn = 1;

    // The line and column of a typed answer, or nothing when it isn't "N" or "N:C" with positive numbers.
    static bool Parse(const QString& text, int& line, int& column);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    int m_nLineCount;
};
