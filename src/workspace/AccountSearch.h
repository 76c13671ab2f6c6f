#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <vector>

class CLeftView;
class QCheckBox;
class QLineEdit;
class QTreeWidgetItem;

// The search row above the account tree: a field and an "All fields" check box, in the tab order
// before the tree. Typing narrows each folder to the accounts whose name
// contains the text, ignoring case, or, with "All fields" checked, whose name or any other field
// does; an empty text gives the tree back whole. Enter selects the first match, Escape clears.
//
// The accounts a filter leaves out are taken out of the tree, not hidden: each folder is emptied
// and refilled in one step from its list of every item, kept here in the tree's own order. That
// keeps a keystroke cheap with many thousands of accounts, where hiding rows one by one is not.
class CAccountSearch : public QWidget {
    Q_OBJECT
public:
    explicit CAccountSearch(CLeftView* tree);
    ~CAccountSearch() override;

    // Takes the folders' accounts as they are now as the whole tree; called once it is built.
    void Attach();
    // The tree added an account item (it shows whatever the filter, until the text changes) or is
    // about to delete one.
    void OnAccountAdded(QTreeWidgetItem* item);
    void OnAccountRemoved(QTreeWidgetItem* item);
    // Deletes the items the filter holds out of the tree; the tree deletes its own. Called as the
    // tree comes apart.
    void DeleteDetachedItems();

    // Makes Tab go field, check box, tree once the row and the tree are in one window.
    void ChainBeforeTree();
    // Puts the keyboard focus into the field, its text selected (Ctrl+F in a passwords window).
    void FocusField();
    // Selects the first account the tree shows (Enter in the field); false when there is none.
    bool SelectFirstMatch();
    // Empties the field and gives the tree back whole (Escape in the field).
    void ClearFilter();
    bool IsFiltering() const { return !m_strApplied.isEmpty(); }

    QLineEdit* GetField() const { return m_pField; }
    QCheckBox* GetAllFieldsCheck() const { return m_pAllFields; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Folder {
        QTreeWidgetItem* hFolder = nullptr;
        std::vector<QTreeWidgetItem*> items; // every account of the folder, in the tree's order
    };
    Folder* FolderOf(const QTreeWidgetItem* item);
    bool Matches(int nFolder, const QTreeWidgetItem* item, const QString& text, bool bAllFields) const;
    void Refilter();

    CLeftView* m_pTree;
    QLineEdit* m_pField;
    QCheckBox* m_pAllFields;
    std::array<Folder, 3> m_folders;
    QString m_strApplied;
    bool m_bAppliedAllFields = false;
};
