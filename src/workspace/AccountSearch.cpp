#include "workspace/AccountSearch.h"

#include "framework/Utf8Text.h"
#include "passwords/VaultoraDoc.h"
#include "workspace/LeftView.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

namespace {

// Equal labels keep the order they were added in, as the tree's binary-search insertion does.
bool LabelLess(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

} // namespace

CAccountSearch::CAccountSearch(CLeftView* tree) : m_pTree(tree) {
    m_pField = new QLineEdit(this);
    m_pField->setPlaceholderText(QStringLiteral("Search (Ctrl+F)"));
    // The placeholder goes once there is text: a screen reader needs a name that stays.
    m_pField->setAccessibleName(QStringLiteral("Search accounts"));
    m_pField->setClearButtonEnabled(true);
    m_pField->setToolTip(QStringLiteral("Shows the accounts whose name contains the text. Enter selects the first, "
                                        "Escape shows all again."));
    m_pAllFields = new QCheckBox(QStringLiteral("All fields"), this);
    m_pAllFields->setToolTip(QStringLiteral("Search every field of the accounts, not only their names"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);
    layout->addWidget(m_pField, 1);
    layout->addWidget(m_pAllFields);

    connect(m_pField, &QLineEdit::textChanged, this, [this] { Refilter(); });
    connect(m_pAllFields, &QCheckBox::toggled, this, [this] { Refilter(); });
    m_pField->installEventFilter(this);
}

void CAccountSearch::ChainBeforeTree() {
    QWidget::setTabOrder(m_pField, m_pAllFields);
    QWidget::setTabOrder(m_pAllFields, m_pTree);
}

CAccountSearch::~CAccountSearch() = default;

void CAccountSearch::Attach() {
    const QTreeWidgetItem* folders[] = {m_pTree->GetWebFolder(), m_pTree->GetMailFolder(), m_pTree->GetOtherFolder()};
    for (size_t i = 0; i < m_folders.size(); ++i) {
        Folder& folder = m_folders[i];
        folder.hFolder = const_cast<QTreeWidgetItem*>(folders[i]);
        folder.items.clear();
        if (!folder.hFolder)
            continue;
        folder.items.reserve(static_cast<size_t>(folder.hFolder->childCount()));
        for (int n = 0; n < folder.hFolder->childCount(); ++n)
            folder.items.push_back(folder.hFolder->child(n));
    }
}

CAccountSearch::Folder* CAccountSearch::FolderOf(const QTreeWidgetItem* item) {
    for (Folder& folder : m_folders) {
        if (item && folder.hFolder && item->parent() == folder.hFolder)
            return &folder;
    }
    return nullptr;
}

void CAccountSearch::OnAccountAdded(QTreeWidgetItem* item) {
    if (Folder* folder = FolderOf(item)) {
        const QString label = item->text(0);
        auto at =
            std::upper_bound(folder->items.begin(), folder->items.end(), label,
                             [](const QString& l, const QTreeWidgetItem* it) { return LabelLess(l, it->text(0)); });
        folder->items.insert(at, item);
    }
}

void CAccountSearch::OnAccountRemoved(QTreeWidgetItem* item) {
    Folder* folder = FolderOf(item);
    if (!folder)
        return;
    const QString label = item->text(0);
    auto first =
        std::lower_bound(folder->items.begin(), folder->items.end(), label,
                         [](const QTreeWidgetItem* it, const QString& l) { return LabelLess(it->text(0), l); });
    auto found = std::find(first, folder->items.end(), item);
    if (found != folder->items.end())
        folder->items.erase(found);
}

void CAccountSearch::DeleteDetachedItems() {
    for (Folder& folder : m_folders) {
        for (QTreeWidgetItem* item : folder.items) {
            if (!item->treeWidget())
                delete item;
        }
        folder.items.clear();
    }
}

bool CAccountSearch::Matches(int nFolder, const QTreeWidgetItem* item, const QString& text, bool bAllFields) const {
    if (item->text(0).contains(text, Qt::CaseInsensitive))
        return true;
    if (!bAllFields)
        return false;
    const CVaultoraDoc* doc = m_pTree->GetDocument();
    if (!doc)
        return false;
    const int nSlot = CLeftView::GetItemData(item);
    bool bFound = false;
    WithAccountKind(static_cast<AccountKind>(nFolder), [&](const auto& kind) {
        if (const auto* record = (doc->m_lists.*kind.pList).At(nSlot)) {
            for (const auto& field : kind.fileFields)
                bFound = bFound || TextFromUtf8(record->*field.pMember).contains(text, Qt::CaseInsensitive);
        }
    });
    return bFound;
}

void CAccountSearch::Refilter() {
    const QString text = m_pField->text();
    const bool bAllFields = m_pAllFields->isChecked();
    if (text == m_strApplied && (text.isEmpty() || bAllFields == m_bAppliedAllFields))
        return;
    m_strApplied = text;
    m_bAppliedAllFields = bAllFields;

    QTreeWidgetItem* selected = m_pTree->GetSelectedItem();
    {
        // The folders are emptied and refilled without the forms following each step; the
        // selection is settled once at the end.
        const QSignalBlocker quiet(m_pTree);
        for (size_t i = 0; i < m_folders.size(); ++i) {
            Folder& folder = m_folders[i];
            if (!folder.hFolder)
                continue;
            folder.hFolder->takeChildren();
            QList<QTreeWidgetItem*> shown;
            for (QTreeWidgetItem* item : folder.items) {
                if (text.isEmpty() || Matches(static_cast<int>(i), item, text, bAllFields))
                    shown.append(item);
            }
            folder.hFolder->addChildren(shown);
            m_pTree->expandItem(folder.hFolder);
        }
        if (selected && selected->treeWidget() == m_pTree) {
            m_pTree->setCurrentItem(selected);
        } else if (!selected) {
            m_pTree->clearSelection();
        }
    }
    if (selected && selected->treeWidget() != m_pTree) {
        // The selected account is filtered out: its folder takes the selection, and its form.
        for (Folder& folder : m_folders) {
            if (std::find(folder.items.begin(), folder.items.end(), selected) != folder.items.end())
                m_pTree->setCurrentItem(folder.hFolder);
        }
        // The tree may have moved the selection there already while it was quiet: the pane follows now.
        emit m_pTree->itemSelectionChanged();
    }
    if (QTreeWidgetItem* current = m_pTree->GetSelectedItem())
        m_pTree->scrollToItem(current);
}

void CAccountSearch::FocusField() {
    m_pField->setFocus(Qt::ShortcutFocusReason);
    m_pField->selectAll();
}

bool CAccountSearch::SelectFirstMatch() {
    for (const Folder& folder : m_folders) {
        if (folder.hFolder && folder.hFolder->childCount() > 0) {
            m_pTree->setCurrentItem(folder.hFolder->child(0));
            return true;
        }
    }
    return false;
}

void CAccountSearch::ClearFilter() {
    m_pField->clear();
}

bool CAccountSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_pField)
        return false;
    const bool bKey = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (!bKey)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Escape and Enter belong to the field here, not to the main window's accelerators.
        event->accept();
        return true;
    }
    if (key == Qt::Key_Escape) {
        ClearFilter();
        m_pTree->setFocus(Qt::OtherFocusReason);
    } else if (SelectFirstMatch()) {
        m_pTree->setFocus(Qt::OtherFocusReason);
    }
    return true;
}
