// What a screen reader finds in every window the editor opens: each control the keyboard reaches has a
// name and a role that says what it is (Client, Pane, Grouping and no role at all say nothing), and no name carries the
// "&" of an access letter or the tab before a menu item's key. And the access letters themselves, pressed as the user
// presses them.

#include "common/GuiTestEnv.h"

#include "docs/DiskChangedDlg.h"
#include "docs/DocumentEncryptionDlg.h"
#include "docs/EnterPasswordDlg.h"
#include "docs/SaveChangesDlg.h"
#include "docs/SetPasswordDlg.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "shell/AboutDlg.h"
#include "shell/ClipboardSettingsDlg.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "shell/NewDocumentDlg.h"
#include "shell/RecoverDlg.h"
#include "shell/ScreenLockSettingsDlg.h"
#include "shell/WelcomeDlg.h"
#include "textdoc/FindReplaceDlg.h"
#include "workspace/LeftView.h"
#include "workspace/PasswordGeneratorDlg.h"
#include "workspace/PasswordHealthDlg.h"
#include "workspace/VaultoraChildFrame.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

QString Describe(QAccessibleInterface* iface) {
    const QObject* object = iface->object();
    return QStringLiteral("%1 \"%2\" (role %3)")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') + object->objectName()
                    : QStringLiteral("item"),
             iface->text(QAccessible::Name))
        .arg(int(iface->role()));
}

// Walks the accessibility tree under root as an AT-SPI client would and lists what it could not say.
QStringList NamingProblems(QWidget* root) {
    QStringList problems;
    std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* iface, int depth) {
        if (!iface || !iface->isValid() || depth > 40)
            return;
        const QAccessible::State state = iface->state();
        const QString name = iface->text(QAccessible::Name);
        if (name.contains(QLatin1Char('&')) || name.contains(QLatin1Char('\t')))
            problems << QStringLiteral("marks in the name: ") + Describe(iface);
        if (state.focusable && !state.invisible) {
            if (name.trimmed().isEmpty())
                problems << QStringLiteral("no name: ") + Describe(iface);
            const QAccessible::Role role = iface->role();
            if (role == QAccessible::Client || role == QAccessible::Pane || role == QAccessible::Grouping ||
                role == QAccessible::NoRole)
                problems << QStringLiteral("generic role: ") + Describe(iface);
        }
        // A display the keyboard never stops on (a strength meter) is still read out with its window.
        if (iface->role() == QAccessible::ProgressBar && name.trimmed().isEmpty())
            problems << QStringLiteral("no name: ") + Describe(iface);
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i), depth + 1);
    };
    walk(QAccessible::queryAccessibleInterface(root), 0);
    return problems;
}

} // namespace

class TestAccessibleNames : public QObject {
    Q_OBJECT

    std::unique_ptr<CEditorApp> m_app;
    GuiTestEnv m_env;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }

    QMdiSubWindow* m_pTextWindow = nullptr;
    CVaultoraChildFrame* m_pPasswordsWindow = nullptr;

    // Shows the main window with a text document, some text in it, and a passwords document in front.
    bool OpenBothKinds() {
        Frame()->show();
        Frame()->activateWindow();
        if (!QTest::qWaitForWindowActive(Frame()))
            return false;
        if (!m_app->GetTextTemplate()->OpenDocumentFile(QString()))
            return false;
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("some text"));
        m_pTextWindow = Frame()->MDIClient()->activeSubWindow();
        if (!m_app->GetPasswordsTemplate()->OpenDocumentFile(QString()))
            return false;
        m_pPasswordsWindow = dynamic_cast<CVaultoraChildFrame*>(Frame()->MDIClient()->activeSubWindow());
        return m_pTextWindow && m_pPasswordsWindow;
    }

    // Runs open, which shows a modal window, and lists the naming problems of that window.
    static QStringList ProblemsOfModal(const std::function<void()>& open) {
        QStringList problems;
        bool seen = false;
        AnswerNextModal([&](QWidget* modal) {
            seen = true;
            problems = NamingProblems(modal);
            modal->close();
        });
        open();
        CancelModalAnswers();
        if (!seen)
            problems << QStringLiteral("the window never showed");
        return problems;
    }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }

    void init() { QVERIFY(m_env.StartFresh(m_app)); }

    void cleanup() { m_env.Stop(m_app); }

    void everyWindowNamesItsControls_data() {
        QTest::addColumn<QString>("window");
        for (const char* window : {"main window",       "web account",
                                   "email account",     "other account",
                                   "Enter Password",    "Enter Password for a file",
                                   "Set Password",      "Screen Lock Options",
                                   "Clipboard",         "Document Encryption",
                                   "Generate Password", "Find",
                                   "Replace",           "About",
                                   "Welcome",           "New Document",
                                   "Recover",           "Disk Changed",
                                   "Save Changes",      "Decrypt Failed",
                                   "Replace File",      "message box",
                                   "Password Health"})
            QTest::newRow(window) << QString::fromLatin1(window);
    }

    void everyWindowNamesItsControls() {
        QFETCH(QString, window);
        QVERIFY(OpenBothKinds());
        const std::map<QString, std::function<void()>> modals = {
            {"Enter Password", [] { CEnterPasswordDlg().DoModal(); }},
            {"Enter Password for a file",
             [] { CEnterPasswordDlg::ForFile(QStringLiteral("/tmp/notes.kvd"), QString())->DoModal(); }},
            {"Set Password", [] { CSetPasswordDlg().DoModal(); }},
            {"Screen Lock Options", [] { CScreenLockSettingsDlg().DoModal(); }},
            {"Clipboard", [] { CClipboardSettingsDlg().DoModal(); }},
            {"Document Encryption", [] { CDocumentEncryptionDlg().DoModal(); }},
            {"Generate Password", [] { CPasswordGeneratorDlg().DoModal(); }},
            {"About", [] { CAboutDlg().DoModal(); }},
            {"Welcome", [this] { CWelcomeDlg(Frame()).DoModal(); }},
            {"New Document", [] { CNewDocumentDlg().DoModal(); }},
            {"Recover", [] { CRecoverDlg().DoModal(); }},
            {"Disk Changed", [] { CDiskChangedDlg(true).DoModal(); }},
            {"Save Changes",
             [] {
                 CSaveChangesDlg dlg;
                 dlg.m_strDocumentName = QStringLiteral("notes.etx");
                 dlg.DoModal();
             }},
            {"Decrypt Failed", [] { CDecryptFailedDlg().DoModal(); }},
            {"Replace File", [] { CReplaceFileDlg().DoModal(); }},
            {"message box", [] { AfxMessageBox(QStringLiteral("Save?"), MB_YESNOCANCEL | MB_ICONQUESTION); }},
            {"Password Health",
             [] {
                 AccountLists lists;
                 auto web = std::make_unique<WebAccount>();
                 web->strName = "Shop";
                 lists.m_aWebAccounts.Append(std::move(web));
                 CPasswordHealthDlg(lists, {{AccountKind::Web, 0, passwords::HealthReason::Empty}}).DoModal();
             }},
        };
        QStringList problems;
        if (window == QLatin1String("main window")) {
            problems = NamingProblems(Frame());
        } else if (window.endsWith(QLatin1String(" account"))) {
            CLeftView* tree = m_pPasswordsWindow->GetLeftView();
            if (window.startsWith(QLatin1String("web"))) {
                tree->AddWebAccount(QStringLiteral("Shop"));
                // With a one-time secret in its notes, so that the code's row shows too.
                QTreeWidgetItem* shop = tree->GetSelectedItem();
                *tree->GetDocument()->m_lists.Field(AccountKind::Web, 0, "NOTES") = "TOTP: JBSWY3DPEHPK3PXP";
                tree->SelectRoot();
                tree->setCurrentItem(shop);
            } else if (window.startsWith(QLatin1String("email")))
                tree->AddMailAccount(QStringLiteral("Mail"));
            else
                tree->AddOtherAccount(QStringLiteral("Bank"));
            problems = NamingProblems(Frame());
        } else if (window == QLatin1String("Find") || window == QLatin1String("Replace")) {
            Frame()->MDIClient()->setActiveSubWindow(m_pTextWindow);
            Frame()->OnUserCommand(window == QLatin1String("Find") ? ID_EDIT_FIND : ID_EDIT_REPLACE);
            CFindReplaceDlg* dialog = Frame()->findChild<CFindReplaceDlg*>();
            if (!dialog) {
                for (QWidget* top : QApplication::topLevelWidgets()) {
                    if (auto* found = qobject_cast<CFindReplaceDlg*>(top))
                        dialog = found;
                }
            }
            QVERIFY(dialog);
            problems = NamingProblems(dialog);
            dialog->close();
        } else {
            problems = ProblemsOfModal(modals.at(window));
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // Alt and the underlined letter of a label take the user to the control after it, not to a check
    // box that happens to have the same letter in its text.
    void accessLettersReachTheirControls() {
        QStringList problems;
        CPasswordGeneratorDlg dialog;
        AnswerNextModal([&](QWidget* modal) {
            auto* dlg = static_cast<CDialog*>(modal);
            modal->activateWindow();
            if (!QTest::qWaitForWindowActive(modal))
                problems << QStringLiteral("the dialog never became active");
            auto landsIn = [&](Qt::Key key, int nID) {
                QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
                QWidget* control = dlg->GetDlgItem(nID);
                QWidget* focus = QApplication::focusWidget();
                if (!control || !focus || (focus != control && !control->isAncestorOf(focus)))
                    problems << QStringLiteral("Alt+%1 went to %2")
                                    .arg(QKeySequence(key).toString(), focus ? focus->objectName() : "nothing");
            };
            landsIn(Qt::Key_P, IDC_GENERATOR_PASSWORD);
            landsIn(Qt::Key_L, IDC_GENERATOR_LENGTH);
            landsIn(Qt::Key_O, IDC_GENERATOR_LOWER);
            landsIn(Qt::Key_L, IDC_GENERATOR_LENGTH);
            dlg->EndDialog(IDCANCEL);
        });
        dialog.DoModal();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        // The label shows its letter underlined, not as an "&".
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->text().contains(QStringLiteral("Length")))
                QVERIFY(label->buddy());
        }
    }

    // The buttons of the Save Changes question show their letters and answer to them; a file name
    // with "&" in it is shown as it is.
    void saveChangesShowsLettersAndTheNameAsItIs() {
        CSaveChangesDlg dialog;
        dialog.m_strDocumentName = QStringLiteral("/home/user/R&D.etx");
        QStringList problems;
        QString shown;
        QString yes;
        QString no;
        AnswerNextModal([&](QWidget* modal) {
            auto* dlg = static_cast<CDialog*>(modal);
            modal->activateWindow();
            if (!QTest::qWaitForWindowActive(modal))
                problems << QStringLiteral("the dialog never became active");
            shown = dlg->GetDlgItemText(IDC_SAVE_CHANGES_TEXT);
            auto* label = qobject_cast<QLabel*>(dlg->GetDlgItem(IDC_SAVE_CHANGES_TEXT));
            if (label && (label->buddy() || label->textFormat() == Qt::RichText))
                shown += QStringLiteral(" (read as marks)");
            yes = qobject_cast<QAbstractButton*>(dlg->GetDlgItem(IDYES))->text();
            no = qobject_cast<QAbstractButton*>(dlg->GetDlgItem(IDNO))->text();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
        });
        QCOMPARE(dialog.DoModal(), IDNO);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        QCOMPARE(shown, QStringLiteral("Save changes to R&D.etx?"));
        QCOMPARE(yes, QStringLiteral("&Yes"));
        QCOMPARE(no, QStringLiteral("&No"));

        // Message boxes too.
        QStringList buttons;
        for (unsigned type : {MB_ABORTRETRYIGNORE, MB_YESNOCANCEL}) {
            AnswerNextModal([&](QWidget* modal) {
                const QList<QAbstractButton*> found = modal->findChildren<QAbstractButton*>();
                for (QAbstractButton* button : found)
                    buttons << button->text();
                found.back()->click();
            });
            AfxMessageBox(QStringLiteral("Well?"), type);
        }
        buttons.sort();
        QCOMPARE(buttons, QStringList({"&Abort", "&Ignore", "&No", "&Retry", "&Yes", "Cancel"}));
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "test_accessible_names.moc"
