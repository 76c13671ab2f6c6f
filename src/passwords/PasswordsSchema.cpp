#include "passwords/PasswordsSchema.h"

#include "markup/XmlTree.h"

#include <span>

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

template <typename Record, size_t N>
void AppendGroup(CXmlTree& tree, const char* group, const AccountList<Record>& list,
                 const AccountField<Record> (&fields)[N]) {
    tree.AppendElement(group, nullptr);
    tree.EnterElement();
    for (int slot = 0; slot < list.Size(); ++slot) {
        const Record* record = list.At(slot);
        if (!record)
            continue;
        tree.AppendElement("ACCOUNT", nullptr);
        tree.EnterElement();
        for (const auto& field : fields)
            tree.AppendElement(std::string_view(field.szElement), (record->*field.pMember).view());
        tree.LeaveElement();
    }
    tree.LeaveElement();
}

template <typename Record, size_t N>
void ReadGroups(CXmlTree& tree, const char* group, AccountList<Record>& list, const AccountField<Record> (&fields)[N]) {
    while (tree.FindNext(group)) {
        tree.EnterElement();
        while (tree.FindNext("ACCOUNT")) {
            auto record = std::make_unique<Record>();
            for (const auto& field : fields) {
                // A missing field reads as empty rather than as the text of the field before it.
                if (tree.FindNextChild(field.szElement)) {
                    const std::string value = tree.GetChildText();
                    (*record).*field.pMember = platform::SecureString(value.data(), value.size());
                    platform::WipeMemory(const_cast<char*>(value.data()), value.size());
                }
            }
            list.Append(std::move(record));
        }
        tree.LeaveElement();
    }
}

} // namespace

platform::SecureString BuildPasswordsText(const AccountLists& lists) {
    CXmlTree tree;
    tree.LoadText(nullptr);
    tree.LoadText(kDeclaration);
    tree.AppendElement("DOC", nullptr);
    tree.EnterElement();
    AppendGroup(tree, "WEB_ACCOUNTS", lists.m_aWebAccounts, kWebFileFields);
    AppendGroup(tree, "MAIL_ACCOUNTS", lists.m_aMailAccounts, kMailFileFields);
    AppendGroup(tree, "OTHER_ACCOUNTS", lists.m_aOtherAccounts, kOtherFileFields);
    std::string text = tree.GetText();
    platform::SecureString result(text.data(), text.size());
    platform::WipeMemory(text.data(), text.size());
    return result;
}

bool ReadPasswordsText(std::string_view text, AccountLists& lists) {
    CXmlTree tree;
    tree.LoadText(nullptr);
    tree.LoadText(text);
    if (!tree.FindNext())
        return false;
    tree.EnterElement();
    ReadGroups(tree, "WEB_ACCOUNTS", lists.m_aWebAccounts, kWebFileFields);
    ReadGroups(tree, "MAIL_ACCOUNTS", lists.m_aMailAccounts, kMailFileFields);
    ReadGroups(tree, "OTHER_ACCOUNTS", lists.m_aOtherAccounts, kOtherFileFields);
    return true;
}
