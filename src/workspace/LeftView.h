#pragma once

#include "framework/View.h"
#include "passwords/Accounts.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QTreeWidget>
#include <array>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class QMenu;
class CAccountSearch;
class CVaultoraDoc;
class CVaultoraChildFrame;

// The account tree of a passwords window: the document's path as the root, the three folders Web
// Accounts, Email Accounts and Other Accounts, and one item per account, sorted by name. An account
// item carries its record's slot index. Selecting an item shows its form in the right pane; the tree
// also creates and deletes the records.
//
// What an item is follows from the item itself (the root, one of the three folders, or an account
// under one of them), whatever its label. Once an item is selected the tree always has a selection.
class CLeftView : public QTreeWidget, public CView {
    Q_OBJECT
public:
    CLeftView();
    ~CLeftView() override;

    QWidget* GetWnd() override { return this; }
    CVaultoraDoc* GetDocument() const;

    // Builds the tree from the document's lists, once.
    void OnInitialUpdate() override;
    // Builds the accounts anew when the document's lists were replaced or merged.
    void OnUpdate(CView* pSender, long lHint) override;

    // Labels the root with the document's file as it is now ("Untitled" before the first save).
    void UpdateRootLabel();

    // Creates a record of the kind with that name (used as given), adds its item and selects it.
    void AddAccount(AccountKind kind, const QString& name);
    void AddWebAccount(const QString& name);
    void AddMailAccount(const QString& name);
    void AddOtherAccount(const QString& name);
    // Asks, then deletes the selected account's record and item. The root and the folders stay.
    void DeleteSelectedAccount();

    void SelectFolder(AccountKind kind);
    void SelectWebFolder();
    void SelectMailFolder();
    void SelectOtherFolder();
    void SelectRoot();

    // An item's own look while it is not selected: text colour (invalid for none) and font
    // description (none until one is given). Selected items keep the tree's highlight.
    struct ItemStyle {
        QColor crText;
        std::optional<QFont> font;
    };
    // Variant 0 underlined, 1 italic, 2 bold, 3 plain; the font is the tree's with those changes.
    void SetItemStyle(QTreeWidgetItem* hItem, int nVariant, const QColor& color);
    void SetItemFont(QTreeWidgetItem* hItem, const QFont& font);
    void SetItemColor(QTreeWidgetItem* hItem, const QColor& color);
    void SetItemBold(QTreeWidgetItem* hItem, bool bBold);
    bool GetItemBold(const QTreeWidgetItem* hItem) const;
    const ItemStyle* GetItemStyle(const QTreeWidgetItem* hItem) const;
    // The font and colour an item is drawn with while not selected (the colour is invalid when the
    // tree's own applies).
    QFont GetItemDrawFont(const QTreeWidgetItem* hItem) const;
    QColor GetItemDrawColor(const QTreeWidgetItem* hItem) const;

    QTreeWidgetItem* GetRootItem() const { return m_hRoot; }
    QTreeWidgetItem* GetFolder(AccountKind kind) const { return m_hFolders[static_cast<size_t>(kind)]; }
    QTreeWidgetItem* GetWebFolder() const { return GetFolder(AccountKind::Web); }
    QTreeWidgetItem* GetMailFolder() const { return GetFolder(AccountKind::Mail); }
    QTreeWidgetItem* GetOtherFolder() const { return GetFolder(AccountKind::Other); }
    QTreeWidgetItem* GetSelectedItem() const;
    QTreeWidgetItem* GetItemFromIndex(const QModelIndex& index) const { return itemFromIndex(index); }
    static int GetItemData(const QTreeWidgetItem* hItem);

    // The image list: 0 root, 1 folder, 2 web account, 3 e-mail account, 4 other account.
    enum { kImageRoot, kImageFolder, kImageWeb, kImageMail, kImageOther, kImageCount };
    const std::vector<QIcon>& GetImageList() const { return m_imageList; }
    // The image index an item was given.
    static int GetItemImage(const QTreeWidgetItem* hItem);

    // The context menu as a right click shows it now, with each entry enabled as the command route says.
    QMenu* CreateContextMenu(QWidget* parent);

    // The search row that narrows the tree to the matching accounts; the frame lays it out above the tree.
    CAccountSearch* GetSearch() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CVaultoraChildFrame* GetFrame() const;
    QTreeWidgetItem* NewItem(const QString& label, int nImage);
    QTreeWidgetItem* InsertItem(QTreeWidgetItem* parent, const QString& label, int nImage, bool bSorted);
    QTreeWidgetItem* NewAccountItem(const QString& name, int nImage, int nSlot);
    QTreeWidgetItem* InsertAccount(QTreeWidgetItem* folder, const QString& name, int nImage, int nSlot);
    // Fills an empty folder with one item per (name, slot), sorted once and added in one step.
    void FillFolder(QTreeWidgetItem* folder, std::vector<std::pair<QString, int>> accounts, int nImage);
    // The root's label: the document's file, or "Untitled".
    QString RootLabel() const;
    // Fills the three empty folders from the document's lists.
    void FillFolders();
    void SelectItem(QTreeWidgetItem* hItem);
    // The kind whose folder the item is, if it is one.
    std::optional<AccountKind> FolderKind(const QTreeWidgetItem* hItem) const;
    void OnSelChanged();
    void OnRButtonDown(const QPoint& point);
    CCmdUI QueryCommandState(int nID);
    void RouteCommand(int nID);

    QTreeWidgetItem* m_hRoot = nullptr;
    // Web Accounts, Email Accounts and Other Accounts, by kind.
    std::array<QTreeWidgetItem*, 3> m_hFolders = {};
    std::vector<QIcon> m_imageList;
    std::map<const QTreeWidgetItem*, ItemStyle> m_mapItemStyles;
    bool m_bBuilt = false;
    QPointer<CAccountSearch> m_pSearch;
};
