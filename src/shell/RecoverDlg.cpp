#include "shell/RecoverDlg.h"

#include "res/resource.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>

namespace {

const char* const kListClass = "RecoveryList";

// Two columns, whole rows selected; the first row is current, so the list is never a dead stop
// for the keyboard. Enter on it goes on to the default button.
QWidget* MakeRecoveryList(const DlgItem&, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Written")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setAccessibleName(QStringLiteral("Unsaved copies"));
    return list;
}

const DlgTemplate& Template() {
    // The list's control class comes with the one template that uses it.
    [[maybe_unused]] static const bool registered = (RegisterControlClass(kListClass, &MakeRecoveryList), true);
    static const DlgTemplate tmpl{
        IDD_RECOVER,
        "Recover Unsaved Work",
        300,
        168,
        {
            {DlgKind::Static, IDC_RECOVER_TEXT,
             "These documents had changes that were not saved when the editor last ended. Recover opens each "
             "one with its password; Discard deletes the copies; Later keeps them for the next start.",
             7, 7, 286, 34},
            {DlgKind::Static, IDC_RECOVER_LIST_LABEL, "&Copies:", 7, 44, 286, 9},
            {DlgKind::Custom, IDC_RECOVER_LIST, "", 7, 55, 286, 84, 0, 0, nullptr, kListClass},
            {DlgKind::DefPushButton, IDOK, "&Recover", 129, 147, 50, 14},
            {DlgKind::PushButton, IDC_RECOVER_DISCARD, "&Discard", 186, 147, 50, 14},
            {DlgKind::PushButton, IDCANCEL, "&Later", 243, 147, 50, 14},
        }};
    return tmpl;
}

} // namespace

CRecoverDlg::CRecoverDlg(QWidget* pParent) : CLockAwareDialog(Template(), kLater, ID_FILE_RECOVER, pParent) {
    MapCommand(IDC_RECOVER_DISCARD, [this] { EndDialog(kDiscard); });
}

QString CRecoverDlg::TimeText(int64_t secondsSinceEpoch) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(secondsSinceEpoch), QLocale::ShortFormat);
}

QTreeWidget* CRecoverDlg::List() const {
    return qobject_cast<QTreeWidget*>(GetDlgItem(IDC_RECOVER_LIST));
}

bool CRecoverDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    QTreeWidget* list = List();
    if (!list)
        return false;
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(IDC_RECOVER_LIST_LABEL)))
        label->setBuddy(list);
    list->clear();
    for (const cipher::RecoveryCopy& copy : m_copies) {
        auto* row =
            new QTreeWidgetItem(list, {QString::fromStdString(copy.info.path), TimeText(copy.info.timeWritten)});
        row->setToolTip(0, row->text(0));
    }
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(false);
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
    return true;
}
