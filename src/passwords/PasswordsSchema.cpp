#include "passwords/PasswordsSchema.h"

#include "markup/XmlTree.h"

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

// Every step reports whether the tree took the element: a text with one element missing would put
// the fields that follow into the wrong account, so a single refusal fails the whole text.
template <typename Kind> bool AppendGroup(CXmlTree& tree, const Kind& kind, const AccountLists& lists) {
    if (!tree.AppendElement(kind.szGroup, nullptr) || !tree.EnterElement())
        return false;
    const auto& list = lists.*kind.pList;
    for (int slot = 0; slot < list.Size(); ++slot) {
        const auto* record = list.At(slot);
        if (!record)
            continue;
        if (!tree.AppendElement("ACCOUNT", nullptr) || !tree.EnterElement())
            return false;
        for (const auto& field : kind.fileFields) {
            if (!tree.AppendElement(std::string_view(field.szElement), (record->*field.pMember).view()))
                return false;
        }
        tree.LeaveElement();
    }
    tree.LeaveElement();
    return true;
}

// The bytes and elements of a group's accounts as the tree writes them, so that the tree can be
// given room for the whole text before it is built: growing it append by append would move
// megabytes around again and again.
constexpr size_t kAccountTags = sizeof("<ACCOUNT>\r\n") - 1 + sizeof("</ACCOUNT>\r\n") - 1;

template <typename Kind> void CountGroup(const Kind& kind, const AccountLists& lists, size_t& bytes, size_t& elements) {
    const auto& list = lists.*kind.pList;
    for (int slot = 0; slot < list.Size(); ++slot) {
        const auto* record = list.At(slot);
        if (!record)
            continue;
        bytes += kAccountTags;
        for (const auto& field : kind.fileFields)
            bytes += CXmlTree::ElementLength(field.szElement, (record->*field.pMember).view());
        elements += 1 + kind.fileFields.size();
    }
}

// Reads the accounts of the group element the cursor stands on.
template <typename Kind> void ReadGroup(CXmlTree& tree, const Kind& kind, AccountLists& lists) {
    tree.EnterElement();
    while (tree.FindNext("ACCOUNT")) {
        auto record = std::make_unique<typename Kind::Record>();
        for (const auto& field : kind.fileFields) {
            // A missing field reads as empty rather than as the text of the field before it.
            if (tree.FindNextChild(field.szElement)) {
                std::string value = tree.GetChildText();
                (*record).*field.pMember = platform::SecureString(value.data(), value.size());
                platform::WipeMemory(value.data(), value.size());
            }
        }
        (lists.*kind.pList).Append(std::move(record));
    }
    tree.LeaveElement();
}

} // namespace

bool BuildPasswordsText(const AccountLists& lists, platform::SecureString& text) {
    text = platform::SecureString();
    CXmlTree tree;
    tree.LoadText(kDeclaration);
    // The declaration, the root and the three groups' tags come to less than this.
    size_t bytes = kDeclaration.size() + 256;
    size_t elements = 8;
    ForEachAccountKind([&](const auto& kind) { CountGroup(kind, lists, bytes, elements); });
    tree.Reserve(bytes, elements);
    if (!tree.AppendElement("DOC", nullptr) || !tree.EnterElement())
        return false;
    bool bBuilt = true;
    ForEachAccountKind([&](const auto& kind) { bBuilt = bBuilt && AppendGroup(tree, kind, lists); });
    if (!bBuilt)
        return false;
    text = tree.TakeText();
    return true;
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
        ForEachAccountKind([&](const auto& kind) {
            if (name == kind.szGroup)
                ReadGroup(tree, kind, lists);
        });
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
