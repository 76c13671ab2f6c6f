#include "framework/FileDialog.h"

#include "framework/WinApp.h"
#include "res/resource.h"

#include <QRegularExpression>

CFileDialog::CFileDialog(bool bOpenFileDialog, const QString& defExt, const QString& fileName, unsigned flags,
                         const QString& filter, QWidget* pParent)
    : QFileDialog(pParent ? pParent : AfxGetMainWnd()), m_bOpenFileDialog(bOpenFileDialog) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (bOpenFileDialog)
        setFileMode((flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    else
        setFileMode(QFileDialog::AnyFile);
    // The documents ask about replacing a file themselves.
    setOption(QFileDialog::DontConfirmOverwrite, !(flags & OFN_OVERWRITEPROMPT));
    if (!defExt.isEmpty())
        setDefaultSuffix(defExt.startsWith(QLatin1Char('.')) ? defExt.mid(1) : defExt);
    const QStringList filters = ConvertFilter(filter);
    if (!filters.isEmpty())
        setNameFilters(filters);
    if (!fileName.isEmpty())
        selectFile(fileName);
    setWindowTitle(bOpenFileDialog ? QStringLiteral("Open") : QStringLiteral("Save As"));
}

int CFileDialog::DoModal() {
    const int result = exec();
    if (result != QDialog::Accepted || selectedFiles().isEmpty())
        return IDCANCEL;
    m_strPathName = selectedFiles().constFirst();
    return IDOK;
}

QStringList CFileDialog::ConvertFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        if (name.isEmpty() || patterns.isEmpty())
            continue;
        name.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
        result.push_back(QStringLiteral("%1 (%2)").arg(name, patterns));
    }
    return result;
}
