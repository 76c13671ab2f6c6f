#include "shell/ImportAccounts.h"

#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "passwords/AccountImport.h"
#include "passwords/VaultoraDoc.h"
#include "platform/SecureMemory.h"
#include "shell/EditorApp.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

bool ImportAccountsFile(const QString& path) {
    const auto refuse = [](const QString& why) {
        AfxMessageBox(QStringLiteral("Cannot import %1. No document was made.").arg(why), MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    // A pipe or a device would keep the program waiting for an end that may never come.
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(QStringLiteral("\"%1\": the file does not exist").arg(path));
    if (!info.isFile())
        return refuse(QStringLiteral("\"%1\": it is a folder, a device or a pipe, not a file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("\"%1\": %2").arg(path, file.errorString()));
    // The export holds every password in clear; its bytes are wiped as soon as they are read.
    QByteArray bytes = file.readAll();
    const bool bRead = file.error() == QFileDevice::NoError;
    const QString readError = file.errorString();
    auto lists = std::make_unique<AccountLists>();
    ImportProblem problem;
    const bool bImported =
        bRead && ImportAccounts(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                                ImportFormat::Detect, *lists, problem);
    platform::WipeMemory(bytes.data(), static_cast<size_t>(bytes.size()));
    if (!bRead)
        return refuse(QStringLiteral("\"%1\": %2").arg(path, readError));
    if (!bImported)
        return refuse(QString::fromStdString(DescribeImportProblem(path.toStdString(), problem)));

    CEditorApp* app = GetEditorApp();
    if (!app)
        return false;
    // The accounts are in the document before its window shows them; the document is new, so Save
    // asks for a name and a password, and closing it asks whether to save.
    const QString title = QFileInfo(path).completeBaseName();
    return app->GetPasswordsTemplate()->OpenNewDocument([&lists, &title](CDocument& doc) {
        if (auto* passwords = dynamic_cast<CVaultoraDoc*>(&doc))
            passwords->m_lists.Swap(*lists);
        if (!title.isEmpty())
            doc.SetTitle(title);
        doc.SetModifiedFlag(true);
    }) != nullptr;
}
