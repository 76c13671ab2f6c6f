#include "passwords/AccountJson.h"

#include <nlohmann/json.hpp>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

// Overwrites the strings of a JSON value (account fields, passwords among them) before the
// library frees them. Iterative: a file of nothing but nested brackets must not exhaust the stack.
void WipeJson(Json& json) {
    std::vector<Json*> pending = {&json};
    while (!pending.empty()) {
        Json* value = pending.back();
        pending.pop_back();
        if (value->is_string()) {
            std::string& text = value->get_ref<std::string&>();
            platform::WipeMemory(text.data(), text.capacity());
        } else if (value->is_structured()) {
            for (auto& item : *value)
                pending.push_back(&item);
        }
    }
}

// A JSON value wiped when it goes, whichever way the function holding it ends.
struct WipedJson {
    Json json;
    ~WipedJson() { WipeJson(json); }
};

template <typename Kind> Json GroupToJson(const Kind& kind, const AccountLists& lists) {
    Json group = Json::array();
    const auto& list = lists.*kind.pList;
    for (int slot = 0; slot < list.Size(); ++slot) {
        const auto* record = list.At(slot);
        if (!record)
            continue;
        Json account = Json::object();
        for (const auto& field : kind.fileFields)
            account[field.szElement] = std::string((record->*field.pMember).view());
        group.push_back(std::move(account));
    }
    return group;
}

// Reads one group of the JSON into a list; `where` names the group in messages.
template <typename Kind>
bool GroupFromJson(const Json& group, const std::string& where, const Kind& kind, AccountLists& lists,
                   std::string& error) {
    if (!group.is_array()) {
        error = where + " is not an array of accounts";
        return false;
    }
    for (size_t i = 0; i < group.size(); ++i) {
        const std::string at = where + "[" + std::to_string(i) + "]";
        const Json& account = group[i];
        if (!account.is_object()) {
            error = at + " is not an object";
            return false;
        }
        auto record = std::make_unique<typename Kind::Record>();
        for (const auto& [key, value] : account.items()) {
            platform::SecureString* field = FindField(kind.fileFields, *record, key);
            if (!field) {
                error = at + " has the unknown field \"" + key + "\"";
                return false;
            }
            if (!value.is_string()) {
                error = at + "." + key + " is not a string";
                return false;
            }
            const std::string& text = value.template get_ref<const std::string&>();
            *field = platform::SecureString(text.data(), text.size());
        }
        if (!account.contains("NAME")) {
            error = at + " has no NAME";
            return false;
        }
        (lists.*kind.pList).Append(std::move(record));
    }
    return true;
}

bool ListsFromJson(const Json& json, AccountLists& lists, std::string& error) {
    if (!json.is_object()) {
        error = "the top level is not an object with \"web\", \"mail\" and \"other\"";
        return false;
    }
    for (const auto& item : json.items()) {
        // Named, not bound: clang before 16 can't capture a structured binding in the lambda below.
        const std::string& key = item.key();
        const auto& group = item.value();
        AccountKind kind;
        if (!AccountKindFromName(key, kind)) {
            error = "unknown group \"" + key + "\" (the groups are \"web\", \"mail\" and \"other\")";
            return false;
        }
        if (!WithAccountKind(kind, [&](const auto& info) { return GroupFromJson(group, key, info, lists, error); }))
            return false;
    }
    return true;
}

} // namespace

bool ReadAccountsJson(std::string_view json, AccountLists& lists, ImportProblem& problem) {
    WipedJson parsed;
    try {
        parsed.json = Json::parse(json.begin(), json.end());
    } catch (const Json::parse_error& e) {
        // The library reports syntax only by throwing; it is caught here and becomes a result.
        problem = {0, e.byte ? e.byte : 1, "is not valid JSON"};
        return false;
    } catch (const Json::out_of_range&) {
        problem = {0, 0, "it holds a number too large to read (account fields are strings)"};
        return false;
    }
    // Read into lists of our own first, so that a refusal half-way appends nothing.
    AccountLists read;
    if (!ListsFromJson(parsed.json, read, problem.strReason))
        return false;
    lists.TakeAll(read);
    return true;
}

void BuildAccountsJson(const AccountLists& lists, platform::SecureString& out) {
    WipedJson built;
    built.json = Json::object();
    ForEachAccountKind([&](const auto& kind) { built.json[kind.szName] = GroupToJson(kind, lists); });
    // Fields hold valid UTF-8; replace anything else rather than fail half-way through the output.
    std::string text = built.json.dump(2, ' ', false, Json::error_handler_t::replace);
    out.assign(text.data(), text.size());
    out += '\n';
    platform::WipeMemory(text.data(), text.capacity());
}
