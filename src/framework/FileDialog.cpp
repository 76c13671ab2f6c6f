#include "framework/FileDialog.h"

#include "framework/DocTemplate.h"
#include "framework/StandardIds.h"
#include "framework/WinApp.h"

#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QRegularExpression>

namespace {

// Names a file's type by its name alone. The toolkit's own provider may open a file to sniff its
// content, which blocks on special files (a FIFO, /proc/kmsg) and freezes the whole editor; and it
// would call the documents of this program by another program's type.
class CFileTypeProvider : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override {
        if (info.isDir())
            return QFileIconProvider::type(info);
        const QString suffix = QLatin1Char('.') + info.suffix();
        if (CWinApp* app = AfxGetApp()) {
            for (const auto& docTemplate : app->GetDocTemplates()) {
                if (suffix.compare(docTemplate->GetDocString(CMultiDocTemplate::filterExt), Qt::CaseInsensitive) == 0)
                    return docTemplate->GetDocString(CMultiDocTemplate::regFileTypeName);
            }
        }
        return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
    }
    QIcon icon(const QFileInfo& info) const override { return QFileIconProvider::icon(info.isDir() ? Folder : File); }
    using QFileIconProvider::icon;
};

} // namespace

CFileDialog::CFileDialog(bool bOpenFileDialog, const QString& defExt, const QString& fileName, unsigned flags,
                         const QString& filter, QWidget* pParent)
    : QFileDialog(pParent ? pParent : AfxGetMainWnd()), m_bOpenFileDialog(bOpenFileDialog) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    // Like every dialog of the program: no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    static CFileTypeProvider provider;
    setIconProvider(&provider);
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
