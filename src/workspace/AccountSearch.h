#pragma once

#include "passwords/Accounts.h"
#include "platform/SecureMemory.h"

#include <QString>
#include <QWidget>
#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

class CLeftView;
class QCheckBox;
class QLineEdit;
class QTreeWidgetItem;

// Texts of the accounts of one kind, case-folded in UTF-8 when a search first needs them and kept,
// by slot, in one wiped buffer, so that a keystroke compares bytes instead of decoding and folding
// every field again.
class CFoldedTexts {
public:
    // The fold of the slot's text; `fold` appends it to the buffer it is given when it is not held.
    template <typename Fold> std::string_view Get(int nSlot, Fold&& fold) {
        const auto index = static_cast<size_t>(nSlot);
        if (index >= m_spans.size())
            m_spans.resize(index + 1);
        if (m_spans[index].at == kNone) {
            const size_t at = m_text.size();
            fold(m_text);
            m_spans[index] = {at, m_text.size() - at};
        }
        return {m_text.data() + m_spans[index].at, m_spans[index].size};
    }
    // Wipes the slot's fold, which no longer matches its record; the buffer starts afresh once half
    // of it is such gaps.
    void Drop(int nSlot);
    void Clear();

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    struct Span {
        size_t at = kNone;
        size_t size = 0;
    };
    std::vector<Span> m_spans;
    platform::SecureString m_text;
    size_t m_nDropped = 0;
};

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
    // A form changed a field of the account at that slot.
    void OnAccountEdited(AccountKind kind, int nSlot);

    QLineEdit* GetField() const { return m_pField; }
    QCheckBox* GetAllFieldsCheck() const { return m_pAllFields; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Account {
        QTreeWidgetItem* item;
        int nSlot;
    };
    struct Folder {
        QTreeWidgetItem* hFolder = nullptr;
        std::vector<Account> items; // every account of the folder, in the tree's order
        std::vector<size_t> shown;  // what the last filter left of them, as indices into items
        CFoldedTexts names;
        CFoldedTexts others; // every field but the name, each ended by a byte UTF-8 never holds
    };
    Folder* FolderOf(const QTreeWidgetItem* item);
    // The indices of the folder's accounts that contain the folded text: of those shown now, or of all.
    std::vector<size_t> Matching(size_t nFolder, std::string_view folded, bool bShownOnly, bool bAllFields);
    void Refilter();

    CLeftView* m_pTree;
    QLineEdit* m_pField;
    QCheckBox* m_pAllFields;
    std::array<Folder, 3> m_folders;
    QString m_strApplied;
    platform::SecureString m_foldedApplied;
    bool m_bAppliedAllFields = false;
    // An account was edited, added or deleted since the last filter, or the lists were replaced.
    bool m_bChanged = true;
};
