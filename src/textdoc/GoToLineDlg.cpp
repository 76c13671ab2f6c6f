#include "textdoc/GoToLineDlg.h"

#include "framework/DialogTemplate.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace {

const DlgTemplate kGoToLineTemplate = {IDD_GO_TO_LINE,
                                       "Go To Line",
                                       160,
                                       48,
                                       {
                                           {DlgKind::Static, -1, "&Line:", 8, 10, 30, 9},
                                           {DlgKind::Edit, IDC_GO_TO_LINE, "", 40, 8, 112, 14},
                                           {DlgKind::DefPushButton, IDOK, "OK", 48, 28, 50, 14},
                                           {DlgKind::PushButton, IDCANCEL, "Cancel", 102, 28, 50, 14},
                                       }};

} // namespace

CGoToLineDlg::CGoToLineDlg(int lineCount, QWidget* pParent)
    : CLockAwareDialog(kGoToLineTemplate, IDCANCEL, ID_EDIT_GO_TO_LINE, pParent), m_nLineCount(lineCount) {}

bool CGoToLineDlg::Parse(const QString& text, int& line, int& column) {
    static const QRegularExpression shape(QStringLiteral("^\\s*(\\d{1,9})\\s*(?::\\s*(\\d{1,9})\\s*)?$"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        return false;
    line = match.captured(1).toInt();
    column = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
    return line > 0 && column > 0;
}

bool CGoToLineDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    SetDlgItemText(IDC_GO_TO_LINE, QString::number(m_nLine));
    if (auto* field = qobject_cast<QLineEdit*>(GetDlgItem(IDC_GO_TO_LINE))) {
        field->selectAll();
        field->setFocus();
    }
    return true;
}

void CGoToLineDlg::OnOK() {
    int line = 0;
    int column = 0;
    const QString typed = GetDlgItemText(IDC_GO_TO_LINE);
    QString problem;
    if (!Parse(typed, line, column))
        problem = QStringLiteral("Type a line number, or a line and a column as in \"12:5\".");
    else if (line > m_nLineCount)
        problem = QStringLiteral("There is no line %1; the text has %2 lines.").arg(line).arg(m_nLineCount);
    if (!problem.isEmpty()) {
        // The dialog stays, with the answer ready to be typed over.
        AfxMessageBox(problem, MB_ICONEXCLAMATION, QStringLiteral("Go To Line"));
        if (auto* field = qobject_cast<QLineEdit*>(GetDlgItem(IDC_GO_TO_LINE))) {
            field->selectAll();
            field->setFocus();
        }
        return;
    }
    m_nLine = line;
    m_nColumn = column;
    EndDialog(IDOK);
}
