#pragma once

// A test that runs once for each kind of encrypted document: the editor started for real, documents of
// the test's kind created, opened and saved with every dialog answered by the test.

#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"

#include "cipher/StrongFile.h"
#include "framework/DocTemplate.h"
#include "passwords/PasswordsSchema.h"
#include "passwords/VaultoraDoc.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "textdoc/EditorDoc.h"
#include "textdoc/EditorView.h"

#include <QtTest>
#include <memory>

class DocumentKinds {
protected:
    using Seen = docanswers::Seen;

    // What the test's slots of the same names do: one row per kind, the environment once, and for
    // each test a fresh editor with nothing open.
    static void KindRows() {
        QTest::addColumn<bool>("text");
        QTest::newRow("text") << true;
        QTest::newRow("passwords") << false;
    }
    void BeginKinds() { m_env.Begin(); }
    void EndKinds() { m_env.End(); }
    void StartKind() {
        QFETCH_GLOBAL(bool, text);
        m_bText = text;
        QVERIFY(m_env.StartFresh(m_app));
    }

    std::unique_ptr<CEditorApp> m_app;
    GuiTestEnv m_env;
    bool m_bText = true;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    QString Ext() const { return m_bText ? QStringLiteral(".etx") : QStringLiteral(".kvd"); }
    // A file of the test's kind in the test's folder: name plus the kind's extension.
    QString FileOfKind(const QString& name) const { return m_env.FilePath(name + Ext()); }
    CMultiDocTemplate* Template() const { return m_bText ? m_app->GetTextTemplate() : m_app->GetPasswordsTemplate(); }

    CEncryptedDocument* NewDoc() { return dynamic_cast<CEncryptedDocument*>(Template()->OpenDocumentFile(QString())); }
    CEncryptedDocument* Open(const QString& path, const QString& password, std::shared_ptr<Seen> seen = {}) {
        return dynamic_cast<CEncryptedDocument*>(docanswers::OpenWithPassword(*m_app, path, password, seen));
    }

    // A change the user makes: text typed at the end, or an account added.
    static void Type(CEncryptedDocument* doc, const QString& text) {
        if (auto* textDoc = dynamic_cast<CEditorDoc*>(doc)) {
            textDoc->GetEditorView()->moveCursor(QTextCursor::End);
            textDoc->GetEditorView()->insertPlainText(text);
            return;
        }
        auto* passwords = dynamic_cast<CVaultoraDoc*>(doc);
        auto other = std::make_unique<OtherAccount>();
        other->strName = text.toUtf8().constData();
        passwords->m_lists.m_aOtherAccounts.Append(std::move(other));
        passwords->SetModifiedFlag(true);
    }

    // The clear text a save of the document writes now.
    static QByteArray Clear(CEncryptedDocument* doc) {
        if (auto* textDoc = dynamic_cast<CEditorDoc*>(doc))
            return textDoc->GetEditorView()->GetTextUtf8();
        platform::SecureString text;
        if (!BuildPasswordsText(dynamic_cast<CVaultoraDoc*>(doc)->m_lists, text))
            return "<not built>";
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }

    // A file written by the program itself: a new document with the change, saved as path. Returns
    // its clear text.
    QByteArray MakeFile(const QString& path, const QString& change, const QString& password) {
        CEncryptedDocument* doc = NewDoc();
        if (!doc)
            return {};
        Type(doc, change);
        const QByteArray clear = Clear(doc);
        if (!docanswers::SaveWithPassword(doc, path, password))
            return {};
        doc->OnCloseDocument();
        GuiTestEnv::FlushDeletes();
        return clear;
    }

    void CloseAll() {
        m_app->CloseAllDocuments();
        GuiTestEnv::FlushDeletes();
    }
};
