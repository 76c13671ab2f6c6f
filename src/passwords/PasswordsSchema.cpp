#include "passwords/PasswordsSchema.h"

#include "markup/XmlTree.h"

#include <algorithm>
#include <new>
#include <span>

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

// Every step reports whether the tree took the element: a text with one element missing would put
// the fields that follow into the wrong account, so a single refusal fails the whole text.
// Slots [from, to) of the list go into the group.
template <typename Record, size_t N>
bool AppendGroup(CXmlTree& tree, const char* group, const AccountList<Record>& list,
                 const AccountField<Record> (&fields)[N], int from, int to) {
    if (!tree.AppendElement(group, nullptr) || !tree.EnterElement())
        return false;
    for (int slot = from; slot < to; ++slot) {
        const Record* record = list.At(slot);
        if (!record)
            continue;
        if (!tree.AppendElement("ACCOUNT", nullptr) || !tree.EnterElement())
            return false;
        for (const auto& field : fields) {
            if (!tree.AppendElement(std::string_view(field.szElement), (record->*field.pMember).view()))
                return false;
        }
        tree.LeaveElement();
    }
    tree.LeaveElement();
    return true;
}

// The text of a tree, copied into wiped memory and the tree's copy wiped.
platform::SecureString TakeText(const CXmlTree& tree) {
    std::string built = tree.GetText();
    platform::SecureString text(built.data(), built.size());
    platform::WipeMemory(built.data(), built.size());
    return text;
}

// The whole text built by the markup tree, element by element.
bool BuildWithTree(const AccountLists& lists, platform::SecureString& text) {
    CXmlTree tree;
    tree.LoadText(nullptr);
    tree.LoadText(kDeclaration);
    if (!tree.AppendElement("DOC", nullptr) || !tree.EnterElement() ||
        !AppendGroup(tree, "WEB_ACCOUNTS", lists.m_aWebAccounts, kWebFileFields, 0, lists.m_aWebAccounts.Size()) ||
        !AppendGroup(tree, "MAIL_ACCOUNTS", lists.m_aMailAccounts, kMailFileFields, 0, lists.m_aMailAccounts.Size()) ||
        !AppendGroup(tree, "OTHER_ACCOUNTS", lists.m_aOtherAccounts, kOtherFileFields, 0,
                     lists.m_aOtherAccounts.Size()))
        return false;
    text = TakeText(tree);
    return true;
}

// A large document is laid out straight into one buffer of its exact size: the tree would grow its
// text (and copy it) element by element. The layout is the tree's own: the skeleton (declaration,
// root, empty groups) comes from the tree, the elements from its element writer, and each group's
// first account is checked against the tree's text for it, so that the two can never drift apart.
constexpr std::string_view kAccountOpen = "<ACCOUNT>\r\n";
constexpr std::string_view kAccountClose = "</ACCOUNT>\r\n";

template <typename Record, size_t N>
size_t AccountLength(const Record& record, const AccountField<Record> (&fields)[N]) {
    size_t length = kAccountOpen.size() + kAccountClose.size();
    for (const auto& field : fields)
        length += CXmlTree::ElementLength(field.szElement, (record.*field.pMember).view());
    return length;
}

template <typename Record, size_t N>
size_t AccountsLength(const AccountList<Record>& list, const AccountField<Record> (&fields)[N]) {
    size_t length = 0;
    for (int slot = 0; slot < list.Size(); ++slot)
        if (const Record* record = list.At(slot))
            length += AccountLength(*record, fields);
    return length;
}

template <typename Record, size_t N>
char* WriteAccount(char* out, const Record& record, const AccountField<Record> (&fields)[N]) {
    out = std::copy(kAccountOpen.begin(), kAccountOpen.end(), out);
    for (const auto& field : fields)
        out = CXmlTree::WriteElement(out, field.szElement, (record.*field.pMember).view());
    return std::copy(kAccountClose.begin(), kAccountClose.end(), out);
}

// How a group is written: its element's three forms and the length of its accounts' text; not ok
// when the tree refuses the group's first account or writes it otherwise than the layout does.
struct GroupLayout {
    std::string open, close, empty;
    size_t accounts = 0; // bytes of the accounts
    bool ok = true;
};

template <typename Record, size_t N>
GroupLayout LayOutGroup(const char* group, const AccountList<Record>& list, const AccountField<Record> (&fields)[N]) {
    GroupLayout layout;
    const std::string name(group);
    layout.open = "<" + name + ">\r\n";
    layout.close = "</" + name + ">\r\n";
    layout.empty = "<" + name + "/>\r\n";
    int first = 0;
    while (first < list.Size() && !list.At(first))
        ++first;
    if (first == list.Size())
        return layout;
    CXmlTree tree;
    tree.LoadText(nullptr);
    layout.ok = AppendGroup(tree, group, list, fields, first, first + 1);
    if (layout.ok) {
        const platform::SecureString text = TakeText(tree);
        const Record& record = *list.At(first);
        platform::SecureString mine(layout.open.size() + AccountLength(record, fields) + layout.close.size(), '\0');
        char* out = std::copy(layout.open.begin(), layout.open.end(), mine.data());
        out = WriteAccount(out, record, fields);
        std::copy(layout.close.begin(), layout.close.end(), out);
        layout.ok = text.view() == mine.view();
    }
    layout.accounts = AccountsLength(list, fields);
    return layout;
}

template <typename Record, size_t N>
char* WriteAccounts(char* out, const AccountList<Record>& list, const AccountField<Record> (&fields)[N]) {
    for (int slot = 0; slot < list.Size(); ++slot)
        if (const Record* record = list.At(slot))
            out = WriteAccount(out, *record, fields);
    return out;
}

bool BuildDirect(const AccountLists& lists, platform::SecureString& text) {
    const AccountLists none;
    platform::SecureString skeleton;
    if (!BuildWithTree(none, skeleton))
        return false;
    const GroupLayout groups[3] = {LayOutGroup("WEB_ACCOUNTS", lists.m_aWebAccounts, kWebFileFields),
                                   LayOutGroup("MAIL_ACCOUNTS", lists.m_aMailAccounts, kMailFileFields),
                                   LayOutGroup("OTHER_ACCOUNTS", lists.m_aOtherAccounts, kOtherFileFields)};
    size_t total = skeleton.size();
    for (const GroupLayout& group : groups) {
        if (!group.ok)
            return false;
        if (group.accounts)
            total += group.open.size() + group.accounts + group.close.size() - group.empty.size();
    }
    // The tree refuses a text past its offset range; so does this layout.
    if (total > static_cast<size_t>(CXmlTree::kMaxTextLength))
        return false;
    platform::SecureString joined(total, '\0');
    char* out = joined.data();
    std::string_view rest = skeleton.view();
    for (int g = 0; g < 3; ++g) {
        const GroupLayout& group = groups[g];
        const size_t at = rest.find(group.empty);
        if (at == std::string_view::npos)
            return false;
        out = std::copy(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(at), out);
        rest.remove_prefix(at + group.empty.size());
        if (!group.accounts) {
            out = std::copy(group.empty.begin(), group.empty.end(), out);
            continue;
        }
        out = std::copy(group.open.begin(), group.open.end(), out);
        const char* start = out;
        out = g == 0   ? WriteAccounts(out, lists.m_aWebAccounts, kWebFileFields)
              : g == 1 ? WriteAccounts(out, lists.m_aMailAccounts, kMailFileFields)
                       : WriteAccounts(out, lists.m_aOtherAccounts, kOtherFileFields);
        if (static_cast<size_t>(out - start) != group.accounts)
            return false;
        out = std::copy(group.close.begin(), group.close.end(), out);
    }
    out = std::copy(rest.begin(), rest.end(), out);
    if (out != joined.data() + joined.size())
        return false;
    text = std::move(joined);
    return true;
}

// Reads the accounts of the group element the cursor stands on.
template <typename Record, size_t N>
void ReadGroup(CXmlTree& tree, AccountList<Record>& list, const AccountField<Record> (&fields)[N]) {
    tree.EnterElement();
    while (tree.FindNext("ACCOUNT")) {
        auto record = std::make_unique<Record>();
        for (const auto& field : fields) {
            // A missing field reads as empty rather than as the text of the field before it.
            if (tree.FindNextChild(field.szElement)) {
                std::string value = tree.GetChildText();
                (*record).*field.pMember = platform::SecureString(value.data(), value.size());
                platform::WipeMemory(value.data(), value.size());
            }
        }
        list.Append(std::move(record));
    }
    tree.LeaveElement();
}

} // namespace

bool BuildPasswordsText(const AccountLists& lists, platform::SecureString& text, PasswordsLayout layout) {
    text = platform::SecureString();
    const int accounts = lists.m_aWebAccounts.Size() + lists.m_aMailAccounts.Size() + lists.m_aOtherAccounts.Size();
    if (layout == PasswordsLayout::Direct || (layout == PasswordsLayout::Auto && accounts >= kDirectLayoutAccounts)) {
        // Out of memory here leaves the tree to try, and to refuse in its own way.
        bool built = false;
        try {
            built = BuildDirect(lists, text);
        } catch (const std::bad_alloc&) {
        }
        if (built || layout == PasswordsLayout::Direct)
            return built;
        text = platform::SecureString();
    }
    return BuildWithTree(lists, text);
}

namespace {

bool ReadAccounts(CXmlTree& tree, AccountLists& lists) {
    if (!tree.FindNext())
        return false;
    tree.EnterElement();
    // The groups are read wherever they stand among the root's children, each into its own list in
    // the order they come: a group of one kind after a group of another is no reason to drop its
    // accounts (the next save would delete them). Other elements are stepped over.
    while (tree.FindNext()) {
        const std::string_view name = tree.GetElementName(tree.GetPos());
        if (name == "WEB_ACCOUNTS")
            ReadGroup(tree, lists.m_aWebAccounts, kWebFileFields);
        else if (name == "MAIL_ACCOUNTS")
            ReadGroup(tree, lists.m_aMailAccounts, kMailFileFields);
        else if (name == "OTHER_ACCOUNTS")
            ReadGroup(tree, lists.m_aOtherAccounts, kOtherFileFields);
    }
    return true;
}

} // namespace

bool ReadPasswordsText(std::string_view text, AccountLists& lists) {
    CXmlTree tree;
    tree.LoadText(text);
    return ReadAccounts(tree, lists);
}

bool ReadPasswordsTextInPlace(platform::SecureString&& text, AccountLists& lists) {
    CXmlTree tree;
    tree.LoadText(std::move(text));
    return ReadAccounts(tree, lists);
}
