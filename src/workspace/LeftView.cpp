#include "workspace/LeftView.h"

#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/Utf8Text.h"
#include "framework/WinApp.h"
#include "passwords/VaultoraDoc.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "workspace/AccountForm.h"
#include "workspace/AccountSearch.h"
#include "workspace/VaultoraChildFrame.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>
#include <memory>

namespace {

// What the tree shows of each kind, and the forms it shows for it, in the order of AccountKind.
struct KindInTree {
    const char* szFolder;
    const char* szQuestion; // the kind in the delete question
    int nImage;
    int CVaultoraChildFrame::*pFolderForm;
    int CVaultoraChildFrame::*pAccountForm;
};
const KindInTree kKindsInTree[] = {
    {"Web Accounts", "Web", CLeftView::kImageWeb, &CVaultoraChildFrame::m_nWebAccountsRootView,
     &CVaultoraChildFrame::m_nWebAccView},
    {"Email Accounts", "Email", CLeftView::kImageMail, &CVaultoraChildFrame::m_nEMailAccountsRootView,
     &CVaultoraChildFrame::m_nMailAccView},
    {"Other Accounts", "Other", CLeftView::kImageOther, &CVaultoraChildFrame::m_nOtherAccountsRootView,
     &CVaultoraChildFrame::m_nOtherAccView},
};

const KindInTree& InTree(AccountKind kind) {
    return kKindsInTree[static_cast<size_t>(kind)];
}

constexpr int kSlotRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kBoldRole = Qt::UserRole + 2;

const QColor kRootColor(0, 0, 155);
const QColor kAccountColor(0, 0, 192);

enum { StyleUnderline, StyleItalic, StyleBold, StylePlain };

// Where a label goes among children sorted alphabetically, ignoring case: after every name equal
// to it. The children are always in that order (the tree never renames an item), so a binary
// search finds the place.
int SortedPosition(const QTreeWidgetItem* parent, const QString& label) {
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (parent->child(mid)->text(0).compare(label, Qt::CaseInsensitive) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

// Draws an item that has a style of its own, and is not selected, in its font and colour; selected
// items keep the tree's highlight.
class ItemStyleDelegate : public QStyledItemDelegate {
public:
    explicit ItemStyleDelegate(CLeftView* tree) : QStyledItemDelegate(tree), m_pTree(tree) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected)
            return;
        const QTreeWidgetItem* item = m_pTree->GetItemFromIndex(index);
        if (!item || !m_pTree->GetItemStyle(item))
            return;
        option->font = m_pTree->GetItemDrawFont(item);
        option->fontMetrics = QFontMetrics(option->font);
        const QColor color = m_pTree->GetItemDrawColor(item);
        if (color.isValid())
            option->palette.setColor(QPalette::Text, color);
        option->backgroundBrush = option->palette.brush(QPalette::Base);
    }

private:
    CLeftView* m_pTree;
};

} // namespace

CLeftView::CLeftView() {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setItemDelegate(new ItemStyleDelegate(this));
    // Mouse moves count as activity for the screen lock, also without a button down.
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CLeftView::OnSelChanged);
    setAccessibleName(QStringLiteral("Accounts"));
    // The search row stands above the tree in the window's layout (the frame puts it there), so that
    // Tab and a screen reader reach it as a control of its own. The tree owns it all the same.
    m_pSearch = new CAccountSearch(this);

    MapCommand(ID_ADD_WEB_ACCOUNT, [this] { SelectWebFolder(); });
    MapCommand(ID_ADD_MAIL_ACCOUNT, [this] { SelectMailFolder(); });
    MapCommand(ID_ADD_OTHER_ACCOUNT, [this] { SelectOtherFolder(); });
    MapCommand(ID_DELETE_ACCOUNT, [this] { DeleteSelectedAccount(); });
}

CLeftView::~CLeftView() {
    // Item deletion must not reach the forms while the window comes apart.
    disconnect(this, &QTreeWidget::itemSelectionChanged, this, &CLeftView::OnSelChanged);
    // The search row sits beside the tree but goes with it, taking the items it held out of the tree.
    if (m_pSearch) {
        m_pSearch->DeleteDetachedItems();
        delete m_pSearch.data();
    }
}

CAccountSearch* CLeftView::GetSearch() const {
    return m_pSearch.data();
}

CVaultoraDoc* CLeftView::GetDocument() const {
    return dynamic_cast<CVaultoraDoc*>(CView::GetDocument());
}

CVaultoraChildFrame* CLeftView::GetFrame() const {
    return dynamic_cast<CVaultoraChildFrame*>(const_cast<CLeftView*>(this)->GetParentFrame());
}

QTreeWidgetItem* CLeftView::NewItem(const QString& label, int nImage) {
    auto* item = new QTreeWidgetItem(QStringList(label));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (nImage >= 0 && nImage < static_cast<int>(m_imageList.size()))
        item->setIcon(0, m_imageList[static_cast<size_t>(nImage)]);
    item->setData(0, kImageRole, nImage);
    item->setData(0, kSlotRole, 0);
    return item;
}

QTreeWidgetItem* CLeftView::InsertItem(QTreeWidgetItem* parent, const QString& label, int nImage, bool bSorted) {
    QTreeWidgetItem* item = NewItem(label, nImage);
    if (!parent) {
        insertTopLevelItem(0, item);
    } else if (bSorted) {
        parent->insertChild(SortedPosition(parent, label), item);
    } else {
        parent->addChild(item);
    }
    return item;
}

QTreeWidgetItem* CLeftView::NewAccountItem(const QString& name, int nImage, int nSlot) {
    QTreeWidgetItem* item = NewItem(name, nImage);
    item->setData(0, kSlotRole, nSlot);
    SetItemStyle(item, StyleItalic, kAccountColor);
    return item;
}

QTreeWidgetItem* CLeftView::InsertAccount(QTreeWidgetItem* folder, const QString& name, int nImage, int nSlot) {
    // Styled before it joins the tree, so that the model reports one insertion and nothing else.
    QTreeWidgetItem* item = NewAccountItem(name, nImage, nSlot);
    folder->insertChild(SortedPosition(folder, name), item);
    expandItem(folder);
    m_pSearch->OnAccountAdded(item);
    return item;
}

void CLeftView::FillFolder(QTreeWidgetItem* folder, std::vector<std::pair<QString, int>> accounts, int nImage) {
    // A stable sort in slot order gives what adding the accounts one by one in slot order gives:
    // equal names keep their slot order.
    std::stable_sort(accounts.begin(), accounts.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first, Qt::CaseInsensitive) < 0; });
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(accounts.size()));
    for (const auto& [name, nSlot] : accounts)
        items.append(NewAccountItem(name, nImage, nSlot));
    folder->addChildren(items);
    expandItem(folder);
}

QString CLeftView::RootLabel() const {
    const CVaultoraDoc* doc = GetDocument();
    return doc && !doc->m_strFilePath.isEmpty() ? doc->m_strFilePath : QStringLiteral("Untitled");
}

void CLeftView::UpdateRootLabel() {
    if (m_hRoot && m_hRoot->text(0) != RootLabel())
        m_hRoot->setText(0, RootLabel());
}

void CLeftView::FillFolders() {
    const CVaultoraDoc* doc = GetDocument();
    if (!doc)
        return;
    ForEachAccountKind([&](const auto& kind) {
        const auto& list = doc->m_lists.*kind.pList;
        std::vector<std::pair<QString, int>> accounts;
        accounts.reserve(static_cast<size_t>(list.Size()));
        for (int i = 0; i < list.Size(); ++i) {
            if (const auto* record = list.At(i))
                accounts.emplace_back(TextFromUtf8(record->strName), i);
        }
        FillFolder(GetFolder(kind.eKind), std::move(accounts), InTree(kind.eKind).nImage);
    });
}

void CLeftView::OnUpdate(CView* pSender, long lHint) {
    if (lHint != CVaultoraDoc::kHintListsReplaced || !m_bBuilt) {
        CView::OnUpdate(pSender, lHint);
        return;
    }
    // The lists were read again or merged: the accounts are built anew, and the selection goes back
    // to the account of the same kind and name (the n-th of equal names), else to what held it.
    QTreeWidgetItem* selected = GetSelectedItem();
    QTreeWidgetItem* parent = selected ? selected->parent() : nullptr;
    const std::optional<AccountKind> accountKind = parent ? FolderKind(parent) : std::nullopt;
    const std::optional<AccountKind> folderKind = FolderKind(selected);
    const QString name = selected ? selected->text(0) : QString();
    int nOccurrence = 0;
    if (accountKind) {
        for (int i = 0; i < parent->indexOfChild(selected); ++i)
            nOccurrence += parent->child(i)->text(0) == name ? 1 : 0;
    }
    const QString filter = m_pSearch->GetField()->text();
    m_pSearch->ClearFilter();
    m_hRoot->setText(0, RootLabel());
    // The forms hear of the selection once it is back, not of every item on the way.
    const QSignalBlocker quiet(this);
    for (QTreeWidgetItem* folder : m_hFolders) {
        for (QTreeWidgetItem* item : folder->takeChildren()) {
            m_mapItemStyles.erase(item);
            delete item;
        }
    }
    FillFolders();
    m_pSearch->Attach();

    QTreeWidgetItem* reselect = folderKind ? GetFolder(*folderKind) : (selected ? m_hRoot : nullptr);
    if (accountKind) {
        reselect = GetFolder(*accountKind);
        QTreeWidgetItem* folder = reselect;
        for (int i = 0, seen = 0; i < folder->childCount(); ++i) {
            if (folder->child(i)->text(0) == name && seen++ == nOccurrence) {
                reselect = folder->child(i);
                break;
            }
        }
    }
    m_pSearch->GetField()->setText(filter);
    SelectItem(reselect);
    // Even the same item selected again: its form must read the record anew.
    OnSelChanged();
}

void CLeftView::OnInitialUpdate() {
    if (!m_bBuilt) {
        m_bBuilt = true;
        for (int nID : {IDB_TREE_ROOT, IDB_TREE_FOLDER, IDB_TREE_WEB, IDB_TREE_MAIL, IDB_TREE_OTHER})
            m_imageList.push_back(LoadResIcon(nID));

        m_hRoot = InsertItem(nullptr, RootLabel(), kImageRoot, false);
        SetItemStyle(m_hRoot, StyleBold, kRootColor);
        ForEachAccountKind([&](const auto& kind) {
            m_hFolders[static_cast<size_t>(kind.eKind)] =
                InsertItem(m_hRoot, QString::fromLatin1(InTree(kind.eKind).szFolder), kImageFolder, false);
        });
        FillFolders();
        expandItem(m_hRoot);
        m_pSearch->Attach();
    }
    CView::OnInitialUpdate();
}

QTreeWidgetItem* CLeftView::GetSelectedItem() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.front();
}

int CLeftView::GetItemData(const QTreeWidgetItem* hItem) {
    return hItem ? hItem->data(0, kSlotRole).toInt() : 0;
}

int CLeftView::GetItemImage(const QTreeWidgetItem* hItem) {
    return hItem ? hItem->data(0, kImageRole).toInt() : -1;
}

void CLeftView::SelectItem(QTreeWidgetItem* hItem) {
    if (hItem)
        setCurrentItem(hItem);
}

void CLeftView::SelectFolder(AccountKind kind) {
    SelectItem(GetFolder(kind));
}

void CLeftView::SelectWebFolder() {
    SelectFolder(AccountKind::Web);
}

void CLeftView::SelectMailFolder() {
    SelectFolder(AccountKind::Mail);
}

void CLeftView::SelectOtherFolder() {
    SelectFolder(AccountKind::Other);
}

std::optional<AccountKind> CLeftView::FolderKind(const QTreeWidgetItem* hItem) const {
    for (const AccountKind kind : {AccountKind::Web, AccountKind::Mail, AccountKind::Other}) {
        if (hItem && hItem == GetFolder(kind))
            return kind;
    }
    return std::nullopt;
}

void CLeftView::SelectRoot() {
    SelectItem(m_hRoot);
}

void CLeftView::OnSelChanged() {
    QTreeWidgetItem* item = GetSelectedItem();
    CVaultoraChildFrame* frame = GetFrame();
    // What an item is follows from the item itself, never from its label: an account may well be
    // called "Web Accounts".
    if (item && frame) {
        QTreeWidgetItem* parent = item->parent();
        if (const std::optional<AccountKind> folder = FolderKind(item)) {
            frame->ShowView(frame->*InTree(*folder).pFolderForm);
        } else if (!parent) {
            frame->ShowView(frame->m_nBlankRootView);
        } else if (const std::optional<AccountKind> kind = FolderKind(parent)) {
            const int nView = frame->*InTree(*kind).pAccountForm;
            if (auto* form = dynamic_cast<CAccountForm*>(frame->GetView(nView)))
                form->LoadAccount(GetItemData(item));
            frame->ShowView(nView);
        }
    }
}

void CLeftView::AddAccount(AccountKind kind, const QString& name) {
    CVaultoraDoc* doc = GetDocument();
    if (!doc || !GetFolder(kind))
        return;
    const int nSlot = doc->m_lists.AppendNamed(kind, SecureUtf8(name));
    SelectItem(InsertAccount(GetFolder(kind), name, InTree(kind).nImage, nSlot));
}

void CLeftView::AddWebAccount(const QString& name) {
    AddAccount(AccountKind::Web, name);
}

void CLeftView::AddMailAccount(const QString& name) {
    AddAccount(AccountKind::Mail, name);
}

void CLeftView::AddOtherAccount(const QString& name) {
    AddAccount(AccountKind::Other, name);
}

void CLeftView::DeleteSelectedAccount() {
    QTreeWidgetItem* item = GetSelectedItem();
    CVaultoraDoc* doc = GetDocument();
    if (!item || !doc)
        return;
    QTreeWidgetItem* parent = item->parent();
    if (!parent)
        return;

    const int nSlot = GetItemData(item);
    const std::optional<AccountKind> kind = FolderKind(parent);
    if (!kind || !doc->m_lists.Holds(*kind, nSlot))
        return;

    const QString question = QStringLiteral("Are you sure you want to delete \"%1\" %2 Account?")
                                 .arg(item->text(0), QLatin1String(InTree(*kind).szQuestion));
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    doc->m_lists.Remove(*kind, nSlot);
    m_mapItemStyles.erase(item);
    m_pSearch->OnAccountRemoved(item);
    // The tree selects a neighbour of a deleted selected item itself, and shows that item's form.
    delete item;
    doc->SetModifiedFlag(true);
}

void CLeftView::SetItemStyle(QTreeWidgetItem* hItem, int nVariant, const QColor& color) {
    if (!hItem)
        return;
    QFont description = font();
    switch (nVariant) {
    case StyleUnderline:
        description.setUnderline(true);
        description.setItalic(false);
        SetItemBold(hItem, false);
        break;
    case StyleItalic:
        description.setItalic(true);
        description.setUnderline(false);
        SetItemBold(hItem, false);
        break;
    case StyleBold:
        description.setUnderline(false);
        description.setItalic(false);
        SetItemBold(hItem, true);
        break;
    case StylePlain:
        description.setUnderline(false);
        description.setItalic(false);
        SetItemBold(hItem, false);
        break;
    default:
        break;
    }
    SetItemFont(hItem, description);
    SetItemColor(hItem, color);
}

void CLeftView::SetItemFont(QTreeWidgetItem* hItem, const QFont& font) {
    if (!hItem)
        return;
    m_mapItemStyles[hItem].font = font;
    viewport()->update();
}

void CLeftView::SetItemColor(QTreeWidgetItem* hItem, const QColor& color) {
    if (!hItem)
        return;
    m_mapItemStyles[hItem].crText = color;
    viewport()->update();
}

void CLeftView::SetItemBold(QTreeWidgetItem* hItem, bool bBold) {
    if (!hItem)
        return;
    hItem->setData(0, kBoldRole, bBold);
    // The tree draws a bold item bold also while it is selected.
    QFont itemFont = font();
    itemFont.setBold(bBold);
    hItem->setFont(0, itemFont);
}

bool CLeftView::GetItemBold(const QTreeWidgetItem* hItem) const {
    return hItem && hItem->data(0, kBoldRole).toBool();
}

const CLeftView::ItemStyle* CLeftView::GetItemStyle(const QTreeWidgetItem* hItem) const {
    auto it = m_mapItemStyles.find(hItem);
    return it == m_mapItemStyles.end() ? nullptr : &it->second;
}

QFont CLeftView::GetItemDrawFont(const QTreeWidgetItem* hItem) const {
    const ItemStyle* style = GetItemStyle(hItem);
    QFont drawFont = style && style->font && !style->font->family().isEmpty() ? *style->font : font();
    if (GetItemBold(hItem))
        drawFont.setWeight(QFont::Bold);
    return drawFont;
}

QColor CLeftView::GetItemDrawColor(const QTreeWidgetItem* hItem) const {
    const ItemStyle* style = GetItemStyle(hItem);
    return style ? style->crText : QColor();
}

CCmdUI CLeftView::QueryCommandState(int nID) {
    // The route a command takes while the tree is the active view: the main window's own.
    if (CMDIChildWnd* frame = GetParentFrame())
        frame->SetActiveView(this);
    if (CMDIFrameWnd* main = AfxGetMainFrame())
        return main->QueryCommandUI(nID);
    CCmdUI ui(nID);
    if (!OnUpdateCmdUI(nID, ui))
        ui.Enable(false);
    return ui;
}

void CLeftView::RouteCommand(int nID) {
    if (CMDIFrameWnd* main = AfxGetMainFrame()) {
        // Through the main window, which may hold the command back (the screen lock).
        if (CMDIChildWnd* frame = GetParentFrame())
            frame->SetActiveView(this);
        main->OnUserCommand(nID);
        return;
    }
    if (!QueryCommandState(nID).IsEnabled())
        return;
    if (OnCmdMsg(nID))
        return;
    if (CDocument* doc = CView::GetDocument(); doc && doc->OnCmdMsg(nID))
        return;
    if (CMDIChildWnd* frame = GetParentFrame(); frame && frame->OnCmdMsg(nID))
        return;
    if (CWinApp* app = AfxGetApp())
        app->OnCmdMsg(nID);
}

QMenu* CLeftView::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    auto addEntry = [this, menu](int nID, const char* text) {
        QAction* action = menu->addAction(CommandIcon(nID), QString::fromLatin1(text));
        action->setData(nID);
        action->setEnabled(QueryCommandState(nID).IsEnabled());
    };
    addEntry(ID_ADD_WEB_ACCOUNT, "Add new Web Account");
    addEntry(ID_ADD_MAIL_ACCOUNT, "Add new Email Account");
    addEntry(ID_ADD_OTHER_ACCOUNT, "Add new Other Account");
    menu->addSeparator();
    if (QTreeWidgetItem* selected = GetSelectedItem()) {
        const bool bFixedItem = selected == m_hRoot || FolderKind(selected).has_value();
        addEntry(bFixedItem ? ID_DELETE_ACCOUNT_OFF : ID_DELETE_ACCOUNT, "Delete Selected Account");
    }
    return menu;
}

void CLeftView::OnRButtonDown(const QPoint& point) {
    const QPoint screenPoint = viewport()->mapToGlobal(point);
    // The click makes the tree the view commands go to, as any click into it does.
    if (CMDIChildWnd* frame = GetParentFrame())
        frame->SetActiveView(this);
    setFocus(Qt::MouseFocusReason);
    QWidget* owner = AfxGetMainWnd();
    std::unique_ptr<QMenu> menu(CreateContextMenu(owner ? owner : this));
    QAction* chosen = menu->exec(screenPoint);
    const int nID = chosen ? chosen->data().toInt() : 0;
    menu.reset();
    if (nID)
        RouteCommand(nID);
}

void CLeftView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The menu acts on the selected item: a right click does not move the selection.
        event->accept();
        OnRButtonDown(event->position().toPoint());
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

QItemSelectionModel::SelectionFlags CLeftView::selectionCommand(const QModelIndex& index, const QEvent* event) const {
    // Ctrl+click and Ctrl+Space on the selected item would leave the tree with no selection, and
    // Delete and the forms with no account to act on: the selection only ever moves.
    const QItemSelectionModel::SelectionFlags flags = QTreeWidget::selectionCommand(index, event);
    if (flags.testFlag(QItemSelectionModel::Deselect) || flags.testFlag(QItemSelectionModel::Toggle) ||
        (flags.testFlag(QItemSelectionModel::Clear) && !flags.testFlag(QItemSelectionModel::Select)))
        return selectionModel() && selectionModel()->hasSelection() ? QItemSelectionModel::NoUpdate : flags;
    return flags;
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event) {
    // Only the mouse opens the menu (on the button press); the keyboard's menu request does nothing.
    event->accept();
}
