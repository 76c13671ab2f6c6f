#include "workspace/PasswordHealthDlg.h"

#include "docs/LockGate.h"
#include "framework/Utf8Text.h"
#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "workspace/AccountSearch.h"
#include "workspace/LeftView.h"
#include "workspace/VaultoraChildFrame.h"

#include <QBasicTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QTimerEvent>
#include <QTreeWidget>
#include <algorithm>
#include <atomic>
#include <map>
#include <memory>

namespace {

const char* const kListClass = "HealthList";
// How long the check may take before its progress shows, in milliseconds.
constexpr int kQuietCheckMs = 400;
constexpr int kKindRole = Qt::UserRole;
constexpr int kSlotRole = Qt::UserRole + 1;

QWidget* MakeHealthList(const DlgItem&, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(3);
    list->setHeaderLabels({QStringLiteral("Account"), QStringLiteral("Kind"), QStringLiteral("Reason")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A label does not name a list to a screen reader.
    list->setAccessibleName(QStringLiteral("Accounts"));
    return list;
}

const DlgTemplate& Template() {
    [[maybe_unused]] static const bool registered = (RegisterControlClass(kListClass, &MakeHealthList), true);
    static const DlgTemplate tmpl{
        IDD_PASSWORD_HEALTH,
        "Password Health",
        300,
        200,
        {
            {DlgKind::Static, IDC_HEALTH_SUMMARY, "", 7, 7, 286, 18},
            {DlgKind::Static, IDC_HEALTH_LIST_LABEL, "&Accounts:", 7, 28, 286, 9},
            {DlgKind::Custom, IDC_HEALTH_LIST, "", 7, 39, 286, 132, 0, 0, nullptr, kListClass},
            {DlgKind::DefPushButton, IDOK, "&Go To", 186, 179, 50, 14},
            {DlgKind::PushButton, IDCANCEL, "Close", 243, 179, 50, 14},
        }};
    return tmpl;
}

// Empty and weak passwords first, as the check orders them; then each group of accounts that share a
// password, together, in the order the groups were found.
std::vector<passwords::HealthFinding> InShownOrder(std::vector<passwords::HealthFinding> findings) {
    std::stable_sort(findings.begin(), findings.end(), [](const auto& a, const auto& b) {
        const bool aReused = a.eReason == passwords::HealthReason::Reused;
        const bool bReused = b.eReason == passwords::HealthReason::Reused;
        if (aReused != bReused)
            return bReused;
        return aReused && a.nGroup < b.nGroup;
    });
    return findings;
}

// How far the check is, shared between its thread and the progress dialog.
struct CheckState {
    std::atomic<int> nDone{0};
    std::atomic<int> nTotal{0};
    std::atomic<bool> bStop{false};
    std::atomic<bool> bFinished{false};
};

const char* const kProgressClass = "HealthProgressBar";

QWidget* MakeProgressBar(const DlgItem&, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 0);
    return bar;
}

const DlgTemplate& ProgressTemplate() {
    [[maybe_unused]] static const bool registered = (RegisterControlClass(kProgressClass, &MakeProgressBar), true);
    static const DlgTemplate tmpl{
        IDD_PASSWORD_HEALTH_PROGRESS,
        "Password Health",
        220,
        62,
        {
            {DlgKind::Static, IDC_HEALTH_PROGRESS_TEXT, "Rating the passwords...", 7, 7, 206, 9},
            {DlgKind::Custom, IDC_HEALTH_PROGRESS, "", 7, 19, 206, 12, 0, 0, nullptr, kProgressClass,
             "Passwords rated"},
            {DlgKind::PushButton, IDCANCEL, "Cancel", 163, 41, 50, 14},
        }};
    return tmpl;
}

// Shown while the check runs on its thread: how many passwords are rated, and Cancel. It ends with
// IDOK once the check has finished; Cancel, Esc and the screen lock (which marks the command for
// replay) end it with IDCANCEL, and the check is stopped.
class CHealthProgressDlg : public CLockAwareDialog {
public:
    CHealthProgressDlg(const CheckState& state, QWidget* pParent)
        : CLockAwareDialog(ProgressTemplate(), IDCANCEL, ID_VIEW_PASSWORD_HEALTH, pParent), m_state(state) {
        setObjectName(QStringLiteral("passwordHealthProgress"));
    }

protected:
    bool OnInitDialog() override {
        CLockAwareDialog::OnInitDialog();
        m_timer.start(kTickMs, this);
        Tick();
        return true;
    }
    void OnDestroy() override { m_timer.stop(); }
    void timerEvent(QTimerEvent* event) override {
        if (event->timerId() == m_timer.timerId())
            Tick();
        else
            CLockAwareDialog::timerEvent(event);
    }

private:
    static constexpr int kTickMs = 100;

    void Tick() {
        if (m_state.bFinished) {
            m_timer.stop();
            EndDialog(IDOK);
            return;
        }
        const int nTotal = m_state.nTotal;
        const int nDone = m_state.nDone;
        if (auto* bar = qobject_cast<QProgressBar*>(GetDlgItem(IDC_HEALTH_PROGRESS)); bar && nTotal > 0) {
            bar->setRange(0, nTotal);
            bar->setValue(nDone);
        }
        if (nTotal > 0) {
            const QLocale locale;
            SetDlgItemText(
                IDC_HEALTH_PROGRESS_TEXT,
                QStringLiteral("Rating the passwords: %1 of %2").arg(locale.toString(nDone), locale.toString(nTotal)));
        }
    }

    const CheckState& m_state;
    QBasicTimer m_timer;
};

// Rates the document's passwords on a thread of its own. A small file's check is over before anyone
// could read a progress bar; a large one's (100,000 accounts take many seconds) shows the progress
// dialog, whose loop keeps the windows painted and the idle lock running. Nothing when cancelled.
std::optional<std::vector<passwords::HealthFinding>> CheckWithProgress(const AccountLists& lists, QWidget* parent) {
    CheckState state;
    std::vector<passwords::HealthFinding> findings;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        findings = passwords::CheckPasswordHealth(lists, [&state](int nDone, int nTotal) {
            state.nDone = nDone;
            state.nTotal = nTotal;
            return !state.bStop.load();
        });
        state.bFinished = true;
    }));
    thread->start();
    bool bDone = thread->wait(QDeadlineTimer(kQuietCheckMs));
    if (!bDone) {
        CHealthProgressDlg progress(state, parent);
        bDone = progress.DoModal() == IDOK;
        state.bStop = true;
        thread->wait();
    }
    if (!bDone || !state.bFinished)
        return std::nullopt;
    return findings;
}

QTreeWidgetItem* AccountItem(CLeftView& tree, AccountKind kind, int nSlot) {
    QTreeWidgetItem* folder = tree.GetFolder(kind);
    for (int i = 0; folder && i < folder->childCount(); ++i) {
        if (CLeftView::GetItemData(folder->child(i)) == nSlot)
            return folder->child(i);
    }
    return nullptr;
}

} // namespace

CPasswordHealthDlg::CPasswordHealthDlg(const AccountLists& lists, std::vector<passwords::HealthFinding> findings,
                                       QWidget* pParent)
    : CLockAwareDialog(Template(), IDCANCEL, ID_VIEW_PASSWORD_HEALTH, pParent), m_lists(lists),
      m_findings(InShownOrder(std::move(findings))) {
    setObjectName(QStringLiteral("passwordHealth"));
}

QString CPasswordHealthDlg::KindName(AccountKind kind) {
    switch (kind) {
    case AccountKind::Web:
        return QStringLiteral("Web");
    case AccountKind::Mail:
        return QStringLiteral("Email");
    case AccountKind::Other:
        return QStringLiteral("Other");
    }
    return {};
}

QTreeWidget* CPasswordHealthDlg::List() const {
    return qobject_cast<QTreeWidget*>(GetDlgItem(IDC_HEALTH_LIST));
}

bool CPasswordHealthDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    QTreeWidget* list = List();
    if (!list)
        return false;
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(IDC_HEALTH_LIST_LABEL)))
        label->setBuddy(list);
    if (auto* summary = qobject_cast<QLabel*>(GetDlgItem(IDC_HEALTH_SUMMARY)))
        summary->setWordWrap(true);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { OnOK(); });
    Fill();
    return true;
}

void CPasswordHealthDlg::Fill() {
    QTreeWidget* list = List();
    list->clear();
    std::map<int, int> groupSizes;
    for (const passwords::HealthFinding& finding : m_findings) {
        if (finding.eReason == passwords::HealthReason::Reused)
            ++groupSizes[finding.nGroup];
    }
    QList<QTreeWidgetItem*> rows;
    std::vector<std::pair<AccountKind, int>> accounts;
    for (const passwords::HealthFinding& finding : m_findings) {
        const platform::SecureString* name = m_lists.Field(finding.eKind, finding.nSlot, "NAME");
        QString reason = QString::fromLatin1(passwords::HealthReasonName(finding.eReason));
        if (finding.eReason == passwords::HealthReason::Reused)
            reason += QStringLiteral(" (group %1, %2 accounts)").arg(finding.nGroup).arg(groupSizes[finding.nGroup]);
        auto* row =
            new QTreeWidgetItem(QStringList{name ? TextFromUtf8(*name) : QString(), KindName(finding.eKind), reason});
        row->setData(0, kKindRole, static_cast<int>(finding.eKind));
        row->setData(0, kSlotRole, finding.nSlot);
        rows.push_back(row);
        accounts.emplace_back(finding.eKind, finding.nSlot);
    }
    list->addTopLevelItems(rows);
    std::sort(accounts.begin(), accounts.end());
    const auto nAccounts = std::unique(accounts.begin(), accounts.end()) - accounts.begin();
    if (nAccounts == 0) {
        SetDlgItemText(IDC_HEALTH_SUMMARY, QStringLiteral("No account has an empty, weak or shared password."));
    } else {
        SetDlgItemText(IDC_HEALTH_SUMMARY,
                       nAccounts == 1
                           ? QStringLiteral("1 account has an empty, weak or shared password.")
                           : QStringLiteral("%1 accounts have an empty, weak or shared password.").arg(nAccounts));
    }
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(false);
    if (!rows.isEmpty())
        list->setCurrentItem(rows.front());
    EnableDlgItem(IDOK, !rows.isEmpty());
}

void CPasswordHealthDlg::OnOK() {
    const QTreeWidgetItem* row = List() ? List()->currentItem() : nullptr;
    if (!row)
        return;
    m_chosen =
        std::make_pair(static_cast<AccountKind>(row->data(0, kKindRole).toInt()), row->data(0, kSlotRole).toInt());
    EndDialog(IDOK);
}

namespace workspace {

void ShowPasswordHealth(CVaultoraChildFrame& frame) {
    QPointer<CLeftView> tree = frame.GetLeftView();
    CVaultoraDoc* doc = tree ? tree->GetDocument() : nullptr;
    if (!doc)
        return;
    const AccountLists& lists = doc->m_lists;
    std::optional<std::vector<passwords::HealthFinding>> findings = CheckWithProgress(lists, frame.window());
    if (!findings || !tree)
        return;
    // The screen locked as the check ended: the list shows once it is unlocked.
    if (CLockGate* lock = CLockGate::Get(); lock && lock->IsLocked()) {
        lock->MarkForReplay(ID_VIEW_PASSWORD_HEALTH);
        return;
    }
    CPasswordHealthDlg dialog(lists, std::move(*findings), frame.window());
    if (dialog.DoModal() != IDOK || !tree)
        return;
    const auto chosen = dialog.GetChosenAccount();
    if (!chosen || !lists.Holds(chosen->first, chosen->second))
        return;
    QTreeWidgetItem* item = AccountItem(*tree, chosen->first, chosen->second);
    // The search may have taken the account out of the tree: the whole tree comes back.
    if (!item && tree->GetSearch()->IsFiltering()) {
        tree->GetSearch()->ClearFilter();
        item = AccountItem(*tree, chosen->first, chosen->second);
    }
    if (!item)
        return;
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
    tree->setFocus(Qt::OtherFocusReason);
}

} // namespace workspace
