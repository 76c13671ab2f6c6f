#include "PasswordsWindow.h"

#include "framework/DialogTemplate.h"
#include "framework/DocTemplate.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "framework/Utf8Text.h"
#include "framework/WinApp.h"
#include "passwords/VaultoraDoc.h"
#include "passwords/VaultoraView.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "textdoc/EditEx.h"
#include "workspace/AccountSearch.h"
#include "workspace/BlankRootView.h"
#include "workspace/EMailAccountsRootView.h"
#include "workspace/LeftView.h"
#include "workspace/MailAccView.h"
#include "workspace/OtherAccView.h"
#include "workspace/OtherAccountsRootView.h"
#include "workspace/SwitchSplitterWnd.h"
#include "workspace/VaultoraChildFrame.h"
#include "workspace/WebAccView.h"
#include "workspace/WebAccountsRootView.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

platform::SecureString Text(const char* text) {
    return platform::SecureString(text);
}

void AddWeb(CVaultoraDoc& doc, const char* name, const char* password = "") {
    auto record = std::make_unique<WebAccount>();
    record->strName = Text(name);
    record->strAddress = Text("https://example.org/login");
    record->strUserId = Text("user");
    record->strPassword = Text(password);
    record->strNotes = Text("line one\nline two");
    doc.m_lists.m_aWebAccounts.Append(std::move(record));
}

void AddMail(CVaultoraDoc& doc, const char* name) {
    auto record = std::make_unique<MailAccount>();
    record->strName = Text(name);
    record->strAddress = Text("me@example.org");
    record->strSmtpServer = Text("smtp.example.org");
    doc.m_lists.m_aMailAccounts.Append(std::move(record));
}

void AddOther(CVaultoraDoc& doc, const char* name) {
    auto record = std::make_unique<OtherAccount>();
    record->strName = Text(name);
    record->strUserId = Text("4111 1111 1111 1111");
    record->strPassword = Text("1234");
    doc.m_lists.m_aOtherAccounts.Append(std::move(record));
}

QStringList ChildLabels(const QTreeWidgetItem* parent) {
    QStringList labels;
    for (int i = 0; i < parent->childCount(); ++i)
        labels << parent->child(i)->text(0);
    return labels;
}

QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* parent, const QString& label) {
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == label)
            return parent->child(i);
    }
    return nullptr;
}

// A view of the plainest kind, for the splitter on its own.
class PlainView : public QWidget, public CView {
public:
    QWidget* GetWnd() override { return this; }
};

} // namespace

class TestWorkspace : public PasswordsWindowTest {
    Q_OBJECT

private:
private slots:
    void initTestCase() { m_env.Begin(false); }

    void init() { StartHost(QSize(1000, 700), false); }

    void cleanup() { StopHost(); }

    // Splitter on its own: numbers from 1, the three maps, one visible view per pane.
    void splitterKeepsSeveralViewsInOnePane() {
        CSwitchSplitterWnd splitter;
        QVERIFY(!splitter.CreateStatic(nullptr, 2, 2));
        QVERIFY(splitter.CreateStatic(nullptr, 1, 2));
        QVERIFY(!splitter.CreateStatic(nullptr, 1, 2));
        const auto plain = [] { return static_cast<CView*>(new PlainView); };
        QVERIFY(splitter.CreateView(0, 0, plain, QSize(10, 10), nullptr));
        QVERIFY(!splitter.CreateView(0, 0, plain, QSize(10, 10), nullptr)); // the pane has its view
        QCOMPARE(splitter.IdFromRowCol(0, 0), AFX_IDW_PANE_FIRST);
        QCOMPARE(CSwitchSplitterWnd::GetPaneCtrlID(splitter.GetPane(0, 0)), AFX_IDW_PANE_FIRST);

        const int first = splitter.AddView(0, 1, plain, nullptr);
        const int second = splitter.AddView(0, 1, plain, nullptr);
        QCOMPARE(first, 1);
        QCOMPARE(second, 2);
        const int key = CSwitchSplitterWnd::PaneKey(0, 1);
        QCOMPARE(key, 0x10000);
        QCOMPARE(splitter.GetViewPaneMap(), (std::map<int, int>{{1, key}, {2, key}}));
        QCOMPARE(splitter.GetCurrentViewMap(), (std::map<int, int>{{key, 2}}));
        QCOMPARE(splitter.GetViewMap().size(), size_t(2));

        QWidget* one = splitter.GetView(1)->GetWnd();
        QWidget* two = splitter.GetView(2)->GetWnd();
        QCOMPARE(splitter.GetPane(0, 1), two);
        QVERIFY(one->isHidden());
        QCOMPARE(CSwitchSplitterWnd::GetPaneCtrlID(one), 0);
        QCOMPARE(CSwitchSplitterWnd::GetPaneCtrlID(two), AFX_IDW_PANE_FIRST + 1);

        QVERIFY(splitter.ShowView(1));
        QCOMPARE(splitter.GetPane(0, 1), one);
        QVERIFY(!one->isHidden());
        QVERIFY(two->isHidden());
        QCOMPARE(CSwitchSplitterWnd::GetPaneCtrlID(two), 0);

        // Unknown numbers change nothing.
        QVERIFY(!splitter.ShowView(0));
        QVERIFY(!splitter.ShowView(3));
        QVERIFY(!splitter.GetView(3));
        QCOMPARE(splitter.GetPane(0, 1), one);

        // A view that can't be created: -1, the pane shows what it showed, and the number is not used.
        QCOMPARE(splitter.AddView(
                     0, 1, [] { return static_cast<CView*>(nullptr); }, nullptr),
                 -1);
        QCOMPARE(splitter.GetPane(0, 1), one);
        QVERIFY(!one->isHidden());
        QCOMPARE(splitter.GetCurrentViewMap().at(key), 1);
        QCOMPARE(splitter.AddView(0, 1, plain, nullptr), 3);
        QCOMPARE(splitter.AddView(0, 5, plain, nullptr), -1);

        QCOMPARE(CSwitchSplitterWnd::PaneKey(3, 2), 0x20003);
        QCOMPARE(CSwitchSplitterWnd::RowOfKey(0x20003), 3);
        QCOMPARE(CSwitchSplitterWnd::ColumnOfKey(0x20003), 2);
    }

    // The passwords template: a new document opens maximised with "Untitled", the folders and the
    // blank form, the forms numbered 1 to 7 and the tree column at its share of the width.
    void newDocumentWindow() {
        CMultiDocTemplate* tmpl = m_app->AddDocTemplate(
            CMultiDocTemplate::Make<CVaultoraDoc, CVaultoraChildFrame, CVaultoraView>(IDR_KVDTYPE));
        auto* doc = dynamic_cast<CVaultoraDoc*>(tmpl->OpenDocumentFile(QString()));
        QVERIFY(doc);
        QCOMPARE(doc->GetTitle(), QStringLiteral("Untitled"));
        QVERIFY(!doc->IsModified());
        QVERIFY(doc->m_strFilePath.isEmpty());
        QVERIFY(doc->m_szFilePassword.empty());

        auto* frame = dynamic_cast<CVaultoraChildFrame*>(m_mainFrame->MDIGetActive());
        QVERIFY(frame);
        QVERIFY(frame->isMaximized());
        QCOMPARE(doc->GetViews().size(), size_t(8)); // the tree and the seven forms
        QCOMPARE(frame->m_nBlankRootView, 1);
        QCOMPARE(frame->m_nWebAccountsRootView, 2);
        QCOMPARE(frame->m_nEMailAccountsRootView, 3);
        QCOMPARE(frame->m_nOtherAccountsRootView, 4);
        QCOMPARE(frame->m_nWebAccView, 5);
        QCOMPARE(frame->m_nMailAccView, 6);
        QCOMPARE(frame->m_nOtherAccView, 7);
        QVERIFY(dynamic_cast<BlankRootView*>(frame->GetView(1)));
        QVERIFY(dynamic_cast<WebAccountsRootView*>(frame->GetView(2)));
        QVERIFY(dynamic_cast<EMailAccountsRootView*>(frame->GetView(3)));
        QVERIFY(dynamic_cast<OtherAccountsRootView*>(frame->GetView(4)));
        QVERIFY(dynamic_cast<CWebAccView*>(frame->GetView(5)));
        QVERIFY(dynamic_cast<CMailAccView*>(frame->GetView(6)));
        QVERIFY(dynamic_cast<COtherAccView*>(frame->GetView(7)));

        CLeftView* tree = frame->GetLeftView();
        QVERIFY(tree);
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->GetRootItem()->text(0), QStringLiteral("Untitled"));
        QCOMPARE(ChildLabels(tree->GetRootItem()), QStringList({"Web Accounts", "Email Accounts", "Other Accounts"}));
        QCOMPARE(tree->GetWebFolder()->childCount() + tree->GetMailFolder()->childCount() +
                     tree->GetOtherFolder()->childCount(),
                 0);
        QVERIFY(tree->GetRootItem()->isExpanded());
        QVERIFY(!tree->GetSelectedItem());
        QCOMPARE(frame->GetSplitter()->GetPane(0, 1), frame->GetView(frame->m_nBlankRootView)->GetWnd());
        QCOMPARE(frame->GetPanes().size(), 2);

        CSwitchSplitterWnd* splitter = frame->GetSplitter();
        // The tree column takes its share of the width, and keeps it as the window grows.
        const auto offShare = [splitter] {
            return qAbs(splitter->sizes().value(0) - CVaultoraChildFrame::TreeColumnWidth(splitter->width()));
        };
        QVERIFY(splitter->sizes().value(0) > CVaultoraChildFrame::kTreeColumnWidth);
        QVERIFY2(offShare() <= 3, QByteArray::number(splitter->sizes().value(0)));
        m_mainFrame->resize(1300, 900);
        QCoreApplication::processEvents();
        QVERIFY2(offShare() <= 3, QByteArray::number(splitter->sizes().value(0)));
        // Never under the least width, however narrow the window starts.
        QCOMPARE(CVaultoraChildFrame::TreeColumnWidth(400), CVaultoraChildFrame::kTreeColumnWidth);

        // Opening a file asks for its password first: cancelled, it opens nothing and leaves nothing behind.
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("a.kvd")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8, 'x')) == 8);
        file.close();
        ClickInNextModal(IDCANCEL);
        QVERIFY(!tmpl->OpenDocumentFile(file.fileName()));
        QCOMPARE(tmpl->GetDocuments().size(), size_t(1));
        // A file that isn't there is said at once, without a password question.
        MessageBox::setNextAnswer(IDOK);
        QVERIFY(!tmpl->OpenDocumentFile(QStringLiteral("/nonexistent/a.kvd")));
        QVERIFY(MessageBox::last().text.contains(QStringLiteral("/nonexistent/a.kvd")));
        QCOMPARE(tmpl->GetDocuments().size(), size_t(1));
    }

    // Accounts appear sorted ignoring case, whatever their order in the lists; emptied slots are
    // skipped and each item carries its slot.
    void treeShowsTheListsSorted() {
        Window w = Open([](CVaultoraDoc& doc) {
            doc.SetPathName(QStringLiteral("/home/user/vault.kvd"), false);
            AddWeb(doc, "delta");
            AddWeb(doc, "Alpha");
            AddWeb(doc, "gone");
            AddWeb(doc, "Charlie");
            AddWeb(doc, "bravo");
            doc.m_lists.m_aWebAccounts.Remove(2);
            AddMail(doc, "zulu");
            AddMail(doc, "Echo");
            AddOther(doc, "");
            AddOther(doc, "PIN");
        });
        QVERIFY(w.tree);
        QCOMPARE(w.tree->GetRootItem()->text(0), QStringLiteral("/home/user/vault.kvd"));
        QCOMPARE(ChildLabels(w.tree->GetWebFolder()), QStringList({"Alpha", "bravo", "Charlie", "delta"}));
        QCOMPARE(ChildLabels(w.tree->GetMailFolder()), QStringList({"Echo", "zulu"}));
        QCOMPARE(ChildLabels(w.tree->GetOtherFolder()), QStringList({"", "PIN"}));
        const QList<int> webSlots = {1, 4, 3, 0};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(CLeftView::GetItemData(w.tree->GetWebFolder()->child(i)), webSlots[i]);
        QCOMPARE(CLeftView::GetItemData(w.tree->GetMailFolder()->child(0)), 1);
        QVERIFY(w.tree->GetWebFolder()->isExpanded());
        QVERIFY(!w.tree->GetSelectedItem());
        QCOMPARE(w.ShownView(), w.frame->m_nBlankRootView);

        // Images: 0 root, 1 folders, 2 to 4 the accounts of each kind.
        const std::vector<QIcon>& images = w.tree->GetImageList();
        QCOMPARE(images.size(), size_t(5));
        for (const QIcon& icon : images)
            QVERIFY(!icon.pixmap(16, 16).isNull());
        const auto expectImage = [&images](const QTreeWidgetItem* item, int nImage) {
            QCOMPARE(CLeftView::GetItemImage(item), nImage);
            QCOMPARE(item->icon(0).cacheKey(), images[static_cast<size_t>(nImage)].cacheKey());
        };
        expectImage(w.tree->GetRootItem(), 0);
        expectImage(w.tree->GetWebFolder(), 1);
        expectImage(w.tree->GetOtherFolder(), 1);
        expectImage(w.tree->GetWebFolder()->child(0), 2);
        expectImage(w.tree->GetMailFolder()->child(0), 3);
        expectImage(w.tree->GetOtherFolder()->child(1), 4);
    }

    // Built in one pass, the folders hold what adding the accounts one at a time in slot order gave:
    // sorted ignoring case, equal names in slot order. Accounts added later find the same place.
    void treeBuiltInOnePassKeepsTheInsertionOrder() {
        const QStringList names = {"beta", "Alpha", "alpha", "BETA", "",      "Zed", "alpha", "émile", "Emile",
                                   "a b",  "a",     "Beta",  "zed",  "ALPHA", "10",  "9",     "ä",     "b"};
        Window w = Open([&names](CVaultoraDoc& doc) {
            for (const QString& name : names)
                AddWeb(doc, name.toUtf8().constData());
            doc.m_lists.m_aWebAccounts.Remove(5);
        });
        // The rule items used to be inserted by: after every child that is not greater.
        QList<QPair<QString, int>> expected;
        const auto insertLikeBefore = [&expected](const QString& name, int slot) {
            int pos = 0;
            while (pos < expected.size() && expected[pos].first.compare(name, Qt::CaseInsensitive) <= 0)
                ++pos;
            expected.insert(pos, {name, slot});
        };
        for (int i = 0; i < names.size(); ++i) {
            if (i != 5)
                insertLikeBefore(names[i], i);
        }
        const auto actual = [&w] {
            QList<QPair<QString, int>> items;
            for (int i = 0; i < w.tree->GetWebFolder()->childCount(); ++i) {
                const QTreeWidgetItem* item = w.tree->GetWebFolder()->child(i);
                items.append({item->text(0), CLeftView::GetItemData(item)});
            }
            return items;
        };
        QCOMPARE(actual(), expected);

        int slot = static_cast<int>(names.size());
        for (const QString name : {"alpha", "Beta", "zzz", "", "0", "émile"}) {
            w.tree->AddWebAccount(name);
            insertLikeBefore(name, slot++);
            QCOMPARE(actual(), expected);
            QCOMPARE(w.tree->GetSelectedItem()->text(0), name);
        }
    }

    // The root is bold in dark blue, accounts italic in blue, folders as the tree draws them; and the
    // style variants and their parts behave as documented.
    void itemStyles() {
        Window w = Open([](CVaultoraDoc& doc) { AddWeb(doc, "Alpha"); });
        QTreeWidgetItem* root = w.tree->GetRootItem();
        QTreeWidgetItem* account = w.tree->GetWebFolder()->child(0);

        QVERIFY(w.tree->GetItemBold(root));
        QCOMPARE(w.tree->GetItemDrawColor(root), QColor(0, 0, 155));
        QVERIFY(w.tree->GetItemDrawFont(root).bold());
        QVERIFY(!w.tree->GetItemDrawFont(root).italic());

        QVERIFY(!w.tree->GetItemBold(account));
        QCOMPARE(w.tree->GetItemDrawColor(account), QColor(0, 0, 192));
        QVERIFY(w.tree->GetItemDrawFont(account).italic());
        QVERIFY(!w.tree->GetItemDrawFont(account).bold());

        QVERIFY(!w.tree->GetItemStyle(w.tree->GetWebFolder()));
        QVERIFY(!w.tree->GetItemDrawColor(w.tree->GetMailFolder()).isValid());

        QTreeWidgetItem* folder = w.tree->GetOtherFolder();
        w.tree->SetItemStyle(folder, 0, Qt::red);
        QVERIFY(w.tree->GetItemDrawFont(folder).underline());
        QVERIFY(!w.tree->GetItemBold(folder));
        w.tree->SetItemStyle(folder, 2, Qt::red);
        QVERIFY(w.tree->GetItemBold(folder));
        QVERIFY(!w.tree->GetItemDrawFont(folder).underline());
        // An unknown variant keeps the bold state and takes the tree font's own look.
        w.tree->SetItemStyle(folder, 7, Qt::green);
        QVERIFY(w.tree->GetItemBold(folder));
        QCOMPARE(w.tree->GetItemDrawColor(folder), QColor(Qt::green));
        w.tree->SetItemStyle(folder, 3, Qt::red);
        QVERIFY(!w.tree->GetItemBold(folder));
        QVERIFY(!w.tree->GetItemDrawFont(folder).italic());

        // The colour alone leaves the font description empty, so the tree's font is drawn; each part
        // keeps the other.
        QTreeWidgetItem* mail = w.tree->GetMailFolder();
        w.tree->SetItemColor(mail, Qt::blue);
        QVERIFY(!w.tree->GetItemStyle(mail)->font);
        QCOMPARE(w.tree->GetItemDrawFont(mail), w.tree->font());
        QFont italic = w.tree->font();
        italic.setItalic(true);
        w.tree->SetItemFont(mail, italic);
        QCOMPARE(w.tree->GetItemDrawColor(mail), QColor(Qt::blue));
        QVERIFY(w.tree->GetItemDrawFont(mail).italic());
    }

    // Selecting items switches the right pane; accounts are loaded into their forms without marking
    // the document modified.
    void selectionSwitchesTheRightPane() {
        Window w = Open([](CVaultoraDoc& doc) {
            AddWeb(doc, "Bank", "secret");
            AddWeb(doc, "Alpha", "first");
            AddMail(doc, "Home mail");
            AddOther(doc, "<b>Card</b>");
        });
        const std::pair<QTreeWidgetItem*, int> folders[] = {
            {w.tree->GetWebFolder(), w.frame->m_nWebAccountsRootView},
            {w.tree->GetMailFolder(), w.frame->m_nEMailAccountsRootView},
            {w.tree->GetOtherFolder(), w.frame->m_nOtherAccountsRootView},
            {w.tree->GetRootItem(), w.frame->m_nBlankRootView},
        };
        for (const auto& [item, nView] : folders) {
            w.tree->setCurrentItem(item);
            QCOMPARE(w.ShownView(), nView);
            QCOMPARE(w.splitter->GetPane(0, 1), w.frame->GetView(nView)->GetWnd());
        }

        auto* webForm = w.Form<CWebAccView>(w.frame->m_nWebAccView);
        w.tree->setCurrentItem(ChildNamed(w.tree->GetWebFolder(), "Bank"));
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccView);
        QCOMPARE(webForm->m_nIndex, 0);
        QCOMPARE(webForm->GetDlgItemText(IDC_WEB_NAME), QStringLiteral("Bank"));
        QCOMPARE(webForm->GetDlgItemText(IDC_WEB_PASSWORD), QStringLiteral("secret"));
        QCOMPARE(webForm->GetDlgItemText(IDC_WEB_ADDRESS), QStringLiteral("https://example.org/login"));
        QCOMPARE(webForm->GetDlgItemText(IDC_WEB_NOTES), QStringLiteral("line one\nline two"));
        w.tree->setCurrentItem(ChildNamed(w.tree->GetWebFolder(), "Alpha"));
        QCOMPARE(webForm->m_nIndex, 1);
        QCOMPARE(webForm->GetDlgItemText(IDC_WEB_PASSWORD), QStringLiteral("first"));
        QVERIFY(!w.doc->IsModified());

        w.doc->SetModifiedFlag(true);
        w.tree->setCurrentItem(w.tree->GetMailFolder()->child(0));
        QCOMPARE(w.ShownView(), w.frame->m_nMailAccView);
        auto* mailForm = w.Form<CMailAccView>(w.frame->m_nMailAccView);
        QCOMPARE(mailForm->GetDlgItemText(IDC_MAIL_NAME), QStringLiteral("Home mail"));
        QCOMPARE(mailForm->GetDlgItemText(IDC_MAIL_SMTP), QStringLiteral("smtp.example.org"));
        QVERIFY(w.doc->IsModified());

        w.tree->setCurrentItem(w.tree->GetOtherFolder()->child(0));
        QCOMPARE(w.ShownView(), w.frame->m_nOtherAccView);
        auto* otherForm = w.Form<COtherAccView>(w.frame->m_nOtherAccView);
        QCOMPARE(otherForm->GetDlgItemText(IDC_OTHER_USERID), QStringLiteral("4111 1111 1111 1111"));
        // A name that looks like markup is shown as it is.
        QCOMPARE(qobject_cast<QLabel*>(otherForm->GetDlgItem(IDC_OTHER_NAME))->textFormat(), Qt::PlainText);
        QCOMPARE(otherForm->GetDlgItemText(IDC_OTHER_NAME), QStringLiteral("<b>Card</b>"));
        QCOMPARE(otherForm->GetDlgItemText(IDC_OTHER_PASSWORD), QStringLiteral("1234"));

        // Exactly one form is visible at a time, and it carries the pane's id.
        int visible = 0;
        for (const auto& [nView, view] : w.splitter->GetViewMap()) {
            if (!view->GetWnd()->isHidden()) {
                ++visible;
                QCOMPARE(CSwitchSplitterWnd::GetPaneCtrlID(view->GetWnd()), AFX_IDW_PANE_FIRST + 1);
            }
        }
        QCOMPARE(visible, 1);

        // The web form, switched away from, keeps none of the account's fields.
        QCOMPARE(webForm->GetDlgItemText(IDC_WEB_PASSWORD), QString());
        QCOMPARE(webForm->GetDlgItemText(IDC_WEB_NAME), QString());

        // An emptied slot leaves the form as it was.
        w.tree->setCurrentItem(ChildNamed(w.tree->GetWebFolder(), "Alpha"));
        w.doc->m_lists.m_aWebAccounts.Remove(0);
        webForm->LoadAccount(0);
        QCOMPARE(webForm->m_nIndex, 1);
        QCOMPARE(webForm->GetDlgItemText(IDC_WEB_NAME), QStringLiteral("Alpha"));
    }

    // The kind of an item is the item's own, whatever its label: an account named like a folder
    // opens its account form.
    void accountNamedLikeAFolder() {
        Window w = Open([](CVaultoraDoc& doc) {
            AddWeb(doc, "web ACCOUNTS");
            AddOther(doc, "EMAIL accounts");
        });
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccView);
        w.tree->setCurrentItem(w.tree->GetOtherFolder()->child(0));
        QCOMPARE(w.ShownView(), w.frame->m_nOtherAccView);
        QCOMPARE(w.Form<COtherAccView>(w.frame->m_nOtherAccView)->GetDlgItemText(IDC_OTHER_NAME),
                 QStringLiteral("EMAIL accounts"));
    }

    // Adding gives the next slot (never a freed one), deleting asks with the item's name and empties
    // only that slot; No changes nothing.
    void addAndDeleteAccounts() {
        Window w = Open();
        w.tree->AddWebAccount(QStringLiteral("Same"));
        w.tree->AddWebAccount(QStringLiteral("Same"));
        AccountList<WebAccount>& web = w.doc->m_lists.m_aWebAccounts;
        QCOMPARE(web.Size(), 2);
        QCOMPARE(w.tree->GetWebFolder()->childCount(), 2);
        QTreeWidgetItem* second = w.tree->GetSelectedItem();
        QCOMPARE(CLeftView::GetItemData(second), 1);
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccView);
        QCOMPARE(w.Form<CWebAccView>(w.frame->m_nWebAccView)->m_nIndex, 1);
        QCOMPARE(w.tree->GetItemDrawColor(second), QColor(0, 0, 192));
        QVERIFY(w.tree->GetItemDrawFont(second).italic());
        QVERIFY(!w.doc->IsModified());

        const int asked = MessageBox::count();
        MessageBox::setNextAnswer(IDNO);
        w.tree->DeleteSelectedAccount();
        QCOMPARE(MessageBox::count(), asked + 1);
        QCOMPARE(MessageBox::last().text, QStringLiteral("Are you sure you want to delete \"Same\" Web Account?"));
        QCOMPARE(MessageBox::last().type, MB_YESNO | MB_ICONQUESTION);
        QVERIFY(web.At(1));
        QCOMPARE(w.tree->GetWebFolder()->childCount(), 2);
        QVERIFY(!w.doc->IsModified());

        MessageBox::setNextAnswer(IDYES);
        w.tree->DeleteSelectedAccount();
        QVERIFY(!web.At(1));
        QVERIFY(web.At(0));
        QCOMPARE(web.Size(), 2);
        QCOMPARE(w.tree->GetWebFolder()->childCount(), 1);
        QCOMPARE(CLeftView::GetItemData(w.tree->GetWebFolder()->child(0)), 0);
        QVERIFY(w.doc->IsModified());
        // Something else is selected now, and the right pane shows it, not the deleted account.
        QTreeWidgetItem* next = w.tree->GetSelectedItem();
        QVERIFY(next);
        if (next->parent() == w.tree->GetWebFolder())
            QCOMPARE(w.Form<CWebAccView>(w.frame->m_nWebAccView)->m_nIndex, CLeftView::GetItemData(next));

        w.tree->AddWebAccount(QStringLiteral("Third"));
        QCOMPARE(CLeftView::GetItemData(w.tree->GetSelectedItem()), 2);

        w.tree->AddMailAccount(QStringLiteral("m"));
        QCOMPARE(w.ShownView(), w.frame->m_nMailAccView);
        QCOMPARE(w.tree->GetSelectedItem()->parent(), w.tree->GetMailFolder());
        MessageBox::setNextAnswer(IDYES);
        w.tree->DeleteSelectedAccount();
        QCOMPARE(MessageBox::last().text, QStringLiteral("Are you sure you want to delete \"m\" Email Account?"));
        QVERIFY(!w.doc->m_lists.m_aMailAccounts.At(0));

        w.tree->AddOtherAccount(QStringLiteral("  "));
        QCOMPARE(w.ShownView(), w.frame->m_nOtherAccView);
        MessageBox::setNextAnswer(IDYES);
        w.tree->DeleteSelectedAccount();
        QCOMPARE(MessageBox::last().text, QStringLiteral("Are you sure you want to delete \"  \" Other Account?"));
        QCOMPARE(w.tree->GetOtherFolder()->childCount(), 0);

        // The root and the folders are never deleted, and nothing is asked.
        const int before = MessageBox::count();
        for (QTreeWidgetItem* item : {w.tree->GetRootItem(), w.tree->GetWebFolder(), w.tree->GetOtherFolder()}) {
            w.tree->setCurrentItem(item);
            w.tree->DeleteSelectedAccount();
        }
        QCOMPARE(MessageBox::count(), before);
        QCOMPARE(w.tree->GetRootItem()->childCount(), 3);
    }

    // The search field: Find puts the keys there, typing narrows every folder, Enter takes the first
    // match, Escape gives the tree back; deleting and adding while narrowed keep slots and items right.
    void searchNarrowsTheTree() {
        Window w = Open([](CVaultoraDoc& doc) {
            AddWeb(doc, "Alpha Shop");
            AddWeb(doc, "beta bank");
            AddWeb(doc, "Gamma");
            AddMail(doc, "alpha mail");
            AddOther(doc, "Card");
        });
        m_mainFrame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_mainFrame.get()));
        CAccountSearch* search = w.tree->GetSearch();
        auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
        auto type = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };
        auto slotsOf = [](const QTreeWidgetItem* folder) {
            QList<int> data;
            for (int i = 0; i < folder->childCount(); ++i)
                data << CLeftView::GetItemData(folder->child(i));
            return data;
        };
        // The row above the tree holds the field, and the tree starts below it.
        QVERIFY(search->isVisible());
        QTRY_VERIFY(search->width() > 100);
        QVERIFY(w.tree->geometry().top() > search->geometry().bottom());

        QVERIFY(w.frame->OnCmdMsg(ID_EDIT_FIND));
        QCOMPARE(QApplication::focusWidget(), search->GetField());
        type("ALPHA");
        QCOMPARE(ChildLabels(w.tree->GetWebFolder()), QStringList({"Alpha Shop"}));
        QCOMPARE(ChildLabels(w.tree->GetMailFolder()), QStringList({"alpha mail"}));
        QCOMPARE(w.tree->GetOtherFolder()->childCount(), 0);
        QCOMPARE(w.tree->GetRootItem()->childCount(), 3);

        key(Qt::Key_Return);
        QCOMPARE(w.tree->GetSelectedItem()->text(0), QStringLiteral("Alpha Shop"));
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccView);
        QCOMPARE(w.Form<CWebAccView>(w.frame->m_nWebAccView)->m_nIndex, 0);
        QCOMPARE(QApplication::focusWidget(), w.tree);

        // Deleted while narrowed: gone from the list and from the whole tree too.
        MessageBox::setNextAnswer(IDYES);
        w.tree->DeleteSelectedAccount();
        QVERIFY(!w.doc->m_lists.m_aWebAccounts.At(0));
        QCOMPARE(w.tree->GetWebFolder()->childCount(), 0);

        // Added while narrowed to nothing: shown and selected at once, with the next slot.
        QVERIFY(w.frame->OnCmdMsg(ID_EDIT_FIND));
        type("zz");
        QCOMPARE(w.tree->GetWebFolder()->childCount(), 0);
        w.tree->AddWebAccount(QStringLiteral("Delta"));
        QCOMPARE(ChildLabels(w.tree->GetWebFolder()), QStringList({"Delta"}));
        QCOMPARE(CLeftView::GetItemData(w.tree->GetSelectedItem()), 3);

        QVERIFY(w.frame->OnCmdMsg(ID_EDIT_FIND));
        key(Qt::Key_Escape);
        QVERIFY(search->GetField()->text().isEmpty());
        QCOMPARE(ChildLabels(w.tree->GetWebFolder()), QStringList({"beta bank", "Delta", "Gamma"}));
        QCOMPARE(slotsOf(w.tree->GetWebFolder()), QList<int>({1, 3, 2}));
        QCOMPARE(ChildLabels(w.tree->GetOtherFolder()), QStringList({"Card"}));
        QCOMPARE(w.tree->GetSelectedItem()->text(0), QStringLiteral("Delta"));

        // Other fields count only with "All fields"; Tab in the field reaches the check box.
        QVERIFY(w.frame->OnCmdMsg(ID_EDIT_FIND));
        type("4111");
        QCOMPARE(w.tree->GetOtherFolder()->childCount(), 0);
        // The selected account no longer shows: its folder takes the selection and the pane.
        QCOMPARE(w.tree->GetSelectedItem(), w.tree->GetWebFolder());
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccountsRootView);
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), search->GetAllFieldsCheck());
        key(Qt::Key_Space);
        QCOMPARE(ChildLabels(w.tree->GetOtherFolder()), QStringList({"Card"}));
        QCOMPARE(w.tree->GetWebFolder()->childCount(), 0);
        // The window closes while narrowed: the items held out of the tree go with it (sanitizers).
    }

    // Typed a character at a time and erased, "All fields" switched after the first, the search shows
    // after every key what QString finds ignoring case: letters beyond ASCII, a final sigma, a character
    // beyond the BMP, a byte that is not UTF-8, and no match that runs from one field into the next.
    void searchAfterEveryKeyMatchesAFreshFilter() {
        Window w = Open([](CVaultoraDoc& doc) {
            for (const char* name : {"ÄPFEL und Birnen", "ΣΟΦΟΣ", "\xF0\x90\x90\x80 Deseret", "äpfel", "split"})
                AddWeb(doc, name, "cd");
            doc.m_lists.m_aWebAccounts.At(4)->strNotes = Text("bad \xC3( byte, Äpfelmus");
            AddMail(doc, "Straße");
            AddMail(doc, "STRASSE");
            AddOther(doc, "σοφος");
        });
        m_mainFrame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_mainFrame.get()));
        CAccountSearch* search = w.tree->GetSearch();
        const auto check = [&] {
            const QString text = search->GetField()->text();
            const bool bAll = search->GetAllFieldsCheck()->isChecked();
            ForEachAccountKind([&](const auto& info) {
                QStringList expected;
                const auto& list = w.doc->m_lists.*info.pList;
                for (int nSlot = 0; nSlot < list.Size(); ++nSlot) {
                    bool bFound = false;
                    for (const auto& field : bAll ? info.fileFields : info.fileFields.first(1)) // NAME first
                        bFound =
                            bFound || TextFromUtf8(list.At(nSlot)->*field.pMember).contains(text, Qt::CaseInsensitive);
                    if (bFound)
                        expected << TextFromUtf8(list.At(nSlot)->strName);
                }
                QStringList shown = ChildLabels(w.tree->GetFolder(info.eKind));
                shown.sort();
                expected.sort();
                QVERIFY2(shown == expected, qPrintable(QStringLiteral("%1 %2").arg(text).arg(bAll)));
            });
        };
        QVERIFY(w.frame->OnCmdMsg(ID_EDIT_FIND));
        const QStringList words = {"äpf", "ÄPFELMUS", "rcd", "ΣΟΦΟς", "straße", "\U00010428", "(", "sh"};
        for (const QString& word : words) {
            const QList<uint> characters = word.toUcs4();
            for (qsizetype i = 0; i < characters.size() && !QTest::currentTestFailed(); ++i) {
                const auto cp = static_cast<char32_t>(characters[i]);
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                                    QString::fromUcs4(&cp, 1), Qt::NoModifier);
                check();
                if (i == 0) { // Tab, Space, Shift+Tab and End: the field selects all as it gets the focus
                    for (Qt::Key k : {Qt::Key_Tab, Qt::Key_Space, Qt::Key_Backtab, Qt::Key_End})
                        QTest::keyClick(QApplication::focusWidget(), k);
                    check();
                }
            }
            if (word == "äpf")
                QCOMPARE(ChildLabels(w.tree->GetWebFolder()), QStringList({"split", "äpfel", "ÄPFEL und Birnen"}));
            while (!search->GetField()->text().isEmpty() && !QTest::currentTestFailed()) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
                check();
            }
        }
    }

    // While the search narrows the tree as its text grows, an account edited through its form is
    // judged by what it holds now, an added one is tested like the others and a deleted one stays gone.
    void searchNarrowsAfterEditsAddsAndDeletes() {
        Window w = Open([](CVaultoraDoc& doc) {
            for (const char* name : {"Alpha", "Beta", "Gamma"})
                AddWeb(doc, name);
            doc.m_lists.m_aWebAccounts.At(0)->strAddress = Text("kiwi");
            doc.m_lists.m_aWebAccounts.At(1)->strAddress = Text("kiwano");
            doc.m_lists.m_aWebAccounts.At(2)->strAddress = Text("kiosk");
        });
        m_mainFrame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_mainFrame.get()));
        auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
        auto type = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };
        auto typeInSearch = [&](const QString& text) {
            QVERIFY(w.frame->OnCmdMsg(ID_EDIT_FIND));
            key(Qt::Key_End);
            type(text);
        };
        // From the selected account down to the next one, whose address is typed anew; back in the tree.
        auto retypeNextAddress = [&](const QString& address) {
            key(Qt::Key_Down);
            key(Qt::Key_Tab);
            QCOMPARE(GetDlgCtrlID(QApplication::focusWidget()), IDC_WEB_ADDRESS);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            type(address);
            key(Qt::Key_Backtab);
        };
        QTreeWidgetItem* web = w.tree->GetWebFolder();
        QVERIFY(w.frame->OnCmdMsg(ID_EDIT_FIND));
        for (Qt::Key k : {Qt::Key_Tab, Qt::Key_Space, Qt::Key_Backtab}) // "All fields"
            key(k);
        type("ki");
        key(Qt::Key_Return);
        retypeNextAddress("apple");
        retypeNextAddress("kiwi.org");
        typeInSearch("w");
        QCOMPARE(ChildLabels(web), QStringList({"Alpha", "Gamma"}));

        w.tree->AddWebAccount(QStringLiteral("Kiwi bird"));
        w.tree->AddWebAccount(QStringLiteral("Abbey"));
        typeInSearch("i");
        QCOMPARE(ChildLabels(web), QStringList({"Alpha", "Gamma", "Kiwi bird"}));

        w.tree->setCurrentItem(ChildNamed(web, "Alpha"));
        MessageBox::setNextAnswer(IDYES);
        w.tree->DeleteSelectedAccount();
        typeInSearch(".");
        QCOMPARE(ChildLabels(web), QStringList({"Gamma"}));
        key(Qt::Key_Escape);
        QCOMPARE(ChildLabels(web), QStringList({"Abbey", "Beta", "Gamma", "Kiwi bird"}));
    }

    // The context menu: no delete entry without a selection, the disabled stand-in for the root and
    // the folders, the real command for an account.
    void contextMenuStates() {
        Window w = Open([](CVaultoraDoc& doc) { AddMail(doc, "Mail"); });
        const auto entries = [&w] {
            std::unique_ptr<QMenu> menu(w.tree->CreateContextMenu(nullptr));
            QList<std::tuple<int, QString, bool>> result;
            for (QAction* action : menu->actions())
                result.append({action->data().toInt(), action->text(), action->isEnabled()});
            return result;
        };
        using Entries = QList<std::tuple<int, QString, bool>>;
        const Entries adds = {{ID_ADD_WEB_ACCOUNT, "Add new Web Account", true},
                              {ID_ADD_MAIL_ACCOUNT, "Add new Email Account", true},
                              {ID_ADD_OTHER_ACCOUNT, "Add new Other Account", true},
                              {0, "", true}};
        QCOMPARE(entries(), adds);

        for (QTreeWidgetItem* item : {w.tree->GetRootItem(), w.tree->GetMailFolder()}) {
            w.tree->setCurrentItem(item);
            const Entries greyed = adds + Entries{{ID_DELETE_ACCOUNT_OFF, "Delete Selected Account", false}};
            QCOMPARE(entries(), greyed);
        }
        w.tree->setCurrentItem(w.tree->GetMailFolder()->child(0));
        const Entries active = adds + Entries{{ID_DELETE_ACCOUNT, "Delete Selected Account", true}};
        QCOMPARE(entries(), active);
    }

    // The tree's commands arrive along the main window's route; a right click opens the menu on the
    // selected item without moving the selection, and its choice is carried out.
    void commandsAndRightClick() {
        Window w = Open([](CVaultoraDoc& doc) {
            AddWeb(doc, "A");
            AddWeb(doc, "B");
        });
        w.frame->SetActiveView(w.tree);
        QVERIFY(m_mainFrame->SendCommand(ID_ADD_MAIL_ACCOUNT));
        QCOMPARE(w.tree->GetSelectedItem(), w.tree->GetMailFolder());
        QCOMPARE(w.ShownView(), w.frame->m_nEMailAccountsRootView);
        QVERIFY(m_mainFrame->SendCommand(ID_ADD_OTHER_ACCOUNT));
        QCOMPARE(w.ShownView(), w.frame->m_nOtherAccountsRootView);
        QVERIFY(m_mainFrame->SendCommand(ID_ADD_WEB_ACCOUNT));
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccountsRootView);
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_DELETE_ACCOUNT_OFF));

        QTreeWidgetItem* a = w.tree->GetWebFolder()->child(0);
        QTreeWidgetItem* b = w.tree->GetWebFolder()->child(1);
        w.tree->setCurrentItem(a);
        w.tree->scrollToItem(b);
        const QPoint onB = w.tree->visualItemRect(b).center();

        // Choose "Delete Selected Account" in the menu the right click opens; it deletes A, the
        // selected account, not B under the mouse.
        QTimer::singleShot(0, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions()) {
                if (action->data().toInt() == ID_DELETE_ACCOUNT)
                    menu->setActiveAction(action);
            }
            QTest::keyClick(menu, Qt::Key_Return);
        });
        MessageBox::setNextAnswer(IDYES);
        ForgetActivity();
        QTest::mouseClick(w.tree->viewport(), Qt::RightButton, {}, onB);
        QVERIFY(ActivityStamped());
        QCOMPARE(MessageBox::last().text, QStringLiteral("Are you sure you want to delete \"A\" Web Account?"));
        QCOMPARE(ChildLabels(w.tree->GetWebFolder()), QStringList({"B"}));
        QVERIFY(!w.doc->m_lists.m_aWebAccounts.At(0));

        // Mouse moves over the tree count as activity.
        ForgetActivity();
        QTest::mouseMove(w.tree->viewport(), QPoint(5, 5));
        QTest::mouseMove(w.tree->viewport(), QPoint(9, 9));
        QVERIFY(ActivityStamped());
    }

    // The forms carry their templates' controls, with ids, kinds and captions.
    void formsHaveTheirControls() {
        Window w = Open();
        struct Expect {
            int nView;
            int nID;
            const char* kind; // "label", "edit", "notes", "button"
            const char* text;
        };
        const Expect expected[] = {
            {w.frame->m_nWebAccView, IDC_WEB_HEADING, "label", "Web Account: "},
            {w.frame->m_nWebAccView, IDC_WEB_NAME, "label", "Name"},
            {w.frame->m_nWebAccView, IDC_WEB_ADDRESS_LABEL, "label", "Web Address:"},
            {w.frame->m_nWebAccView, IDC_WEB_USERID_LABEL, "label", "User ID:"},
            {w.frame->m_nWebAccView, IDC_WEB_PASSWORD_LABEL, "label", "Password:"},
            {w.frame->m_nWebAccView, IDC_WEB_NOTES_LABEL, "label", "Notes:"},
            {w.frame->m_nWebAccView, IDC_WEB_ADDRESS, "edit", ""},
            {w.frame->m_nWebAccView, IDC_WEB_USERID, "edit", ""},
            {w.frame->m_nWebAccView, IDC_WEB_PASSWORD, "edit", ""},
            {w.frame->m_nWebAccView, IDC_WEB_NOTES, "notes", ""},
            {w.frame->m_nWebAccView, IDC_WEB_STRENGTH, "meter", ""},
            {w.frame->m_nWebAccView, IDC_WEB_OTP_LABEL, "label", "One-time code:"},
            {w.frame->m_nWebAccView, IDC_WEB_OTP, "code", ""},
            {w.frame->m_nWebAccView, IDC_WEB_ADD_MORE, "button", "&Add More..."},
            {w.frame->m_nWebAccView, IDC_WEB_DELETE, "button", "&Delete"},
            {w.frame->m_nMailAccView, IDC_MAIL_HEADING, "label", "Email Account: "},
            {w.frame->m_nMailAccView, IDC_MAIL_NAME, "label", "Name"},
            {w.frame->m_nMailAccView, IDC_MAIL_ADDRESS_LABEL, "label", "Mail Address:"},
            {w.frame->m_nMailAccView, IDC_MAIL_WEBMAIL_LABEL, "label", "WebMail Interface:"},
            {w.frame->m_nMailAccView, IDC_MAIL_USERID_LABEL, "label", "User ID:"},
            {w.frame->m_nMailAccView, IDC_MAIL_PASSWORD_LABEL, "label", "Password:"},
            {w.frame->m_nMailAccView, IDC_MAIL_SMTP_LABEL, "label", "SMTP Server:"},
            {w.frame->m_nMailAccView, IDC_MAIL_POP_LABEL, "label", "POP Server:"},
            {w.frame->m_nMailAccView, IDC_MAIL_NOTES_LABEL, "label", "Notes:"},
            {w.frame->m_nMailAccView, IDC_MAIL_ADDRESS, "edit", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_WEBMAIL, "edit", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_USERID, "edit", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_PASSWORD, "edit", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_SMTP, "edit", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_POP, "edit", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_NOTES, "notes", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_STRENGTH, "meter", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_OTP_LABEL, "label", "One-time code:"},
            {w.frame->m_nMailAccView, IDC_MAIL_OTP, "code", ""},
            {w.frame->m_nMailAccView, IDC_MAIL_ADD_MORE, "button", "&Add More..."},
            {w.frame->m_nMailAccView, IDC_MAIL_DELETE, "button", "&Delete"},
            {w.frame->m_nOtherAccView, IDC_OTHER_HEADING, "label", "Account: "},
            {w.frame->m_nOtherAccView, IDC_OTHER_NAME, "label", "Name"},
            {w.frame->m_nOtherAccView, IDC_OTHER_USERID_LABEL, "label",
             "Description (Credit Card No, Bank Account, Location, etc.): "},
            {w.frame->m_nOtherAccView, IDC_OTHER_PASSWORD_LABEL, "label", "PIN (Pass Code, Key, Password, etc.):"},
            {w.frame->m_nOtherAccView, IDC_OTHER_NOTES_LABEL, "label", "Notes:"},
            {w.frame->m_nOtherAccView, IDC_OTHER_USERID, "edit", ""},
            {w.frame->m_nOtherAccView, IDC_OTHER_PASSWORD, "edit", ""},
            {w.frame->m_nOtherAccView, IDC_OTHER_NOTES, "notes", ""},
            {w.frame->m_nOtherAccView, IDC_OTHER_STRENGTH, "meter", ""},
            {w.frame->m_nOtherAccView, IDC_OTHER_OTP_LABEL, "label", "One-time code:"},
            {w.frame->m_nOtherAccView, IDC_OTHER_OTP, "code", ""},
            {w.frame->m_nOtherAccView, IDC_OTHER_ADD_MORE, "button", "&Add More..."},
            {w.frame->m_nOtherAccView, IDC_OTHER_DELETE, "button", "&Delete"},
            {w.frame->m_nWebAccountsRootView, IDC_WEB_ROOT_NAME, "edit", ""},
            {w.frame->m_nWebAccountsRootView, IDC_WEB_ROOT_TITLE, "label", "Add New Web Account:"},
            {w.frame->m_nWebAccountsRootView, IDC_WEB_ROOT_NAME_LABEL, "label", "Account Name:"},
            {w.frame->m_nWebAccountsRootView, IDC_WEB_ROOT_ADD, "button", "&Add"},
            {w.frame->m_nWebAccountsRootView, IDC_WEB_ROOT_CANCEL, "button", "&Cancel"},
            {w.frame->m_nEMailAccountsRootView, IDC_MAIL_ROOT_NAME, "edit", ""},
            {w.frame->m_nEMailAccountsRootView, IDC_MAIL_ROOT_TITLE, "label", "Add New Email Account:"},
            {w.frame->m_nEMailAccountsRootView, IDC_MAIL_ROOT_NAME_LABEL, "label", "Account Name:"},
            {w.frame->m_nEMailAccountsRootView, IDC_MAIL_ROOT_ADD, "button", "Add"},
            {w.frame->m_nEMailAccountsRootView, IDC_MAIL_ROOT_CANCEL, "button", "&Cancel"},
            {w.frame->m_nOtherAccountsRootView, IDC_OTHER_ROOT_NAME, "edit", ""},
            {w.frame->m_nOtherAccountsRootView, IDC_OTHER_ROOT_TITLE, "label", "Add Other Account:"},
            {w.frame->m_nOtherAccountsRootView, IDC_OTHER_ROOT_NAME_LABEL, "label", "Account Name:"},
            {w.frame->m_nOtherAccountsRootView, IDC_OTHER_ROOT_ADD, "button", "&Add"},
            {w.frame->m_nOtherAccountsRootView, IDC_OTHER_ROOT_CANCEL, "button", "&Cancel"},
            {w.frame->m_nBlankRootView, IDC_BLANK_ADD_WEB, "button", "Add new Web Account..."},
            {w.frame->m_nBlankRootView, IDC_BLANK_ADD_MAIL, "button", "Add new Email Account..."},
            {w.frame->m_nBlankRootView, IDC_BLANK_ADD_OTHER, "button", "Add Other Accounts..."},
            {w.frame->m_nBlankRootView, IDC_BLANK_TITLE, "label", "Add Accounts:"},
        };
        std::map<int, int> perForm;
        for (const Expect& e : expected) {
            auto* form = dynamic_cast<CFormView*>(w.frame->GetView(e.nView));
            QVERIFY(form);
            QWidget* control = form->GetDlgItem(e.nID);
            QVERIFY2(control, qPrintable(QStringLiteral("control %1").arg(e.nID)));
            const QString kind = QString::fromLatin1(e.kind);
            if (kind == "label")
                QVERIFY(qobject_cast<QLabel*>(control));
            else if (kind == "edit")
                QVERIFY(qobject_cast<CEditEx*>(control) && !qobject_cast<CEditEx*>(control)->isReadOnly());
            else if (kind == "notes")
                QVERIFY(qobject_cast<QPlainTextEdit*>(control));
            else if (kind == "code")
                QVERIFY(qobject_cast<CEditEx*>(control) && qobject_cast<CEditEx*>(control)->isReadOnly());
            else if (kind == "meter")
                QVERIFY(!control->accessibleName().isEmpty());
            else
                QVERIFY(qobject_cast<QPushButton*>(control));
            QCOMPARE(form->GetDlgItemText(e.nID), QString::fromUtf8(e.text));
            // Passwords and PINs are shown in clear.
            if (auto* edit = qobject_cast<QLineEdit*>(control))
                QCOMPARE(edit->echoMode(), QLineEdit::Normal);
            ++perForm[e.nView];
        }
        // No control beyond the ones listed (besides the forms' pictures).
        for (const auto& [nView, count] : perForm) {
            auto* form = dynamic_cast<CFormView*>(w.frame->GetView(nView));
            int withId = 0;
            for (QWidget* child : form->GetPage()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                withId += GetDlgCtrlID(child) > 0 ? 1 : 0;
            QCOMPARE(withId, count);
        }

        auto* web = dynamic_cast<CFormView*>(w.frame->GetView(w.frame->m_nWebAccView));
        QVERIFY(qobject_cast<QLabel*>(web->GetDlgItem(IDC_WEB_HEADING))->alignment() & Qt::AlignRight);
        auto* blank = dynamic_cast<CFormView*>(w.frame->GetView(w.frame->m_nBlankRootView));
        QVERIFY(qobject_cast<QLabel*>(blank->GetDlgItem(IDC_BLANK_TITLE))->alignment() & Qt::AlignHCenter);
        QCOMPARE(blank->GetDlgItem(IDC_BLANK_ADD_MAIL)->toolTip(), QStringLiteral("Add new Mail Account..."));
        QVERIFY(!qobject_cast<QPushButton*>(blank->GetDlgItem(IDC_BLANK_ADD_OTHER))->icon().isNull());

        // Template sizes (dialog units) and the order of the fields down the web form.
        const CDialogUnits units(web->GetPage()->font());
        QCOMPARE(web->GetTemplateSize(), units.ToPixels(293, 267));
        QCOMPARE(dynamic_cast<CFormView*>(w.frame->GetView(w.frame->m_nMailAccView))->GetTemplateSize(),
                 units.ToPixels(291, 354));
        QCOMPARE(web->GetDlgItem(IDC_WEB_USERID)->geometry(),
                 QRect(units.ToPixelsX(11), units.ToPixelsY(91), units.ToPixelsX(260), units.ToPixelsY(14)));
    }
};

QTEST_MAIN(TestWorkspace)
#include "test_workspace.moc"
