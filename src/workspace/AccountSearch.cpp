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
#include <cstring>
#include <numeric>
#include <type_traits>

namespace {

// Ends each field in the fold of an account's other fields: UTF-8 never holds it, so no match runs
// from one field into the next.
constexpr char kFieldBreak = '\xFF';

// The length of the valid UTF-8 sequence at the start of `s`, its code point in `cp`; 0 when the
// first byte starts none.
size_t DecodeUtf8(std::string_view s, char32_t& cp) {
    const auto byte = [&s](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
        min = 0x10000;
    }
    if (length == 0 || s.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i) & 0x3Fu);
    }
    const bool bSurrogate = cp >= 0xD800 && cp <= 0xDFFF;
    return cp < min || cp > 0x10FFFF || bSurrogate ? 0 : length;
}

void AppendUtf8(char32_t cp, platform::SecureString& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Appends the text's case fold in UTF-8, character by character as QString's comparisons that
// ignore case fold, so that one byte comparison of two folds finds what they would. A byte that
// starts no valid sequence stands for U+FFFD, which the field shows in its place.
void AppendCaseFolded(std::string_view utf8, platform::SecureString& out) {
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t length = DecodeUtf8(utf8.substr(i), cp);
        AppendUtf8(length ? QChar::toCaseFolded(cp) : char32_t(0xFFFD), out);
        i += length ? length : 1;
    }
}

bool Contains(std::string_view text, std::string_view part) {
    return memmem(text.data(), text.size(), part.data(), part.size()) != nullptr;
}

// Equal labels keep the order they were added in, as the tree's binary-search insertion does.
bool LabelLess(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

} // namespace

void CFoldedTexts::Drop(int nSlot) {
    const auto index = static_cast<size_t>(nSlot);
    if (index >= m_spans.size() || m_spans[index].at == kNone)
        return;
    platform::WipeMemory(m_text.data() + m_spans[index].at, m_spans[index].size);
    m_nDropped += m_spans[index].size;
    m_spans[index] = Span();
    if (m_nDropped > m_text.size() / 2)
        Clear();
}

void CFoldedTexts::Clear() {
    m_spans.clear();
    m_text = platform::SecureString();
    m_nDropped = 0;
}

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
        folder.shown.clear();
        folder.names.Clear();
        folder.others.Clear();
        if (!folder.hFolder)
            continue;
        folder.items.reserve(static_cast<size_t>(folder.hFolder->childCount()));
        for (int n = 0; n < folder.hFolder->childCount(); ++n) {
            QTreeWidgetItem* item = folder.hFolder->child(n);
            folder.items.push_back({item, CLeftView::GetItemData(item)});
        }
    }
    m_bChanged = true;
    if (CVaultoraDoc* doc = m_pTree->GetDocument())
        connect(doc, &CVaultoraDoc::AccountEdited, this, &CAccountSearch::OnAccountEdited, Qt::UniqueConnection);
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
        auto at = std::upper_bound(folder->items.begin(), folder->items.end(), label,
                                   [](const QString& l, const Account& a) { return LabelLess(l, a.item->text(0)); });
        folder->items.insert(at, {item, CLeftView::GetItemData(item)});
        m_bChanged = true;
    }
}

void CAccountSearch::OnAccountRemoved(QTreeWidgetItem* item) {
    Folder* folder = FolderOf(item);
    if (!folder)
        return;
    const QString label = item->text(0);
    auto first = std::lower_bound(folder->items.begin(), folder->items.end(), label,
                                  [](const Account& a, const QString& l) { return LabelLess(a.item->text(0), l); });
    auto found = std::find_if(first, folder->items.end(), [item](const Account& a) { return a.item == item; });
    if (found == folder->items.end())
        return;
    folder->names.Drop(found->nSlot);
    folder->others.Drop(found->nSlot);
    folder->items.erase(found);
    m_bChanged = true;
}

void CAccountSearch::OnAccountEdited(AccountKind kind, int nSlot) {
    m_folders[static_cast<size_t>(kind)].others.Drop(nSlot);
    m_bChanged = true;
}

void CAccountSearch::DeleteDetachedItems() {
    for (Folder& folder : m_folders) {
        for (const Account& account : folder.items) {
            if (!account.item->treeWidget())
                delete account.item;
        }
        folder.items.clear();
        folder.shown.clear();
    }
}

std::vector<size_t> CAccountSearch::Matching(size_t nFolder, std::string_view folded, bool bShownOnly,
                                             bool bAllFields) {
    std::vector<size_t> found;
    Folder& folder = m_folders[nFolder];
    const CVaultoraDoc* doc = m_pTree->GetDocument();
    if (!doc)
        return found;
    WithAccountKind(static_cast<AccountKind>(nFolder), [&](const auto& kind) {
        const auto& list = doc->m_lists.*kind.pList;
        const auto test = [&](size_t index) {
            const int nSlot = folder.items[index].nSlot;
            const auto* record = list.At(nSlot);
            if (!record)
                return;
            const auto foldName = [record](platform::SecureString& out) { AppendCaseFolded(record->strName, out); };
            const auto foldOthers = [&kind, record](platform::SecureString& out) {
                using Record = std::remove_cvref_t<decltype(*record)>;
                for (const auto& field : kind.fileFields) {
                    if (field.pMember != &Record::strName) {
                        AppendCaseFolded(record->*field.pMember, out);
                        out.push_back(kFieldBreak);
                    }
                }
            };
            if (Contains(folder.names.Get(nSlot, foldName), folded) ||
                (bAllFields && Contains(folder.others.Get(nSlot, foldOthers), folded)))
                found.push_back(index);
        };
        if (bShownOnly) {
            for (size_t index : folder.shown)
                test(index);
        } else {
            for (size_t index = 0; index < folder.items.size(); ++index)
                test(index);
        }
    });
    return found;
}

void CAccountSearch::Refilter() {
    const QString text = m_pField->text();
    const bool bAllFields = m_pAllFields->isChecked();
    if (text == m_strApplied && (text.isEmpty() || bAllFields == m_bAppliedAllFields))
        return;
    platform::SecureString folded;
    AppendCaseFolded(SecureUtf8(text), folded);
    // What contains the longer text contains the shorter: the accounts the last filter left out
    // stay out, unless one changed since.
    const bool bNarrow = !m_bChanged && !m_foldedApplied.empty() && bAllFields == m_bAppliedAllFields &&
                         Contains(folded, m_foldedApplied);
    const bool bWasChanged = m_bChanged;
    m_strApplied = text;
    m_foldedApplied = std::move(folded);
    m_bAppliedAllFields = bAllFields;
    m_bChanged = false;

    QTreeWidgetItem* selected = m_pTree->GetSelectedItem();
    {
        // The folders are emptied and refilled without the forms following each step; the
        // selection is settled once at the end.
        const QSignalBlocker quiet(m_pTree);
        for (size_t i = 0; i < m_folders.size(); ++i) {
            Folder& folder = m_folders[i];
            if (!folder.hFolder)
                continue;
            std::vector<size_t> shown;
            if (text.isEmpty()) {
                shown.resize(folder.items.size());
                std::iota(shown.begin(), shown.end(), size_t(0));
            } else {
                shown = Matching(i, m_foldedApplied, bNarrow, bAllFields);
            }
            // A folder that keeps the same accounts is not refilled, which would lay its rows out anew.
            if (!bWasChanged && shown == folder.shown)
                continue;
            folder.shown = std::move(shown);
            folder.hFolder->takeChildren();
            QList<QTreeWidgetItem*> items;
            items.reserve(static_cast<qsizetype>(folder.shown.size()));
            for (size_t index : folder.shown)
                items.append(folder.items[index].item);
            folder.hFolder->addChildren(items);
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
            if (std::any_of(folder.items.begin(), folder.items.end(),
                            [selected](const Account& a) { return a.item == selected; }))
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
