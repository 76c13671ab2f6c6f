#include "passwords/PasswordHealth.h"

#include "passwords/PasswordStrength.h"

#include <map>

namespace passwords {

std::vector<std::string_view> AccountOwnWords(const AccountLists& lists, AccountKind kind, int slot) {
    std::vector<std::string_view> words;
    for (const char* element : kOwnWordElements) {
        if (const platform::SecureString* value = lists.Field(kind, slot, element); value && !value->empty())
            words.push_back(value->view());
    }
    return words;
}

std::vector<HealthFinding> CheckPasswordHealth(const AccountLists& lists,
                                               const std::function<bool(int done, int total)>& progress) {
    struct Account {
        AccountKind eKind;
        int nSlot;
        std::string_view password;
    };
    std::vector<Account> accounts;
    std::map<std::string_view, int> sharers; // how many accounts have each non-empty password
    ForEachAccountKind([&](const auto& info) {
        const auto& list = lists.*info.pList;
        for (int slot = 0; slot < list.Size(); ++slot) {
            if (const auto* record = list.At(slot)) {
                accounts.push_back({info.eKind, slot, record->strPassword.view()});
                if (!record->strPassword.empty())
                    ++sharers[record->strPassword.view()];
            }
        }
    });

    std::vector<HealthFinding> findings;
    std::map<std::string_view, int> groups;
    const int total = static_cast<int>(accounts.size());
    for (int n = 0; n < total; ++n) {
        if (progress && !progress(n, total))
            return {};
        const Account& account = accounts[static_cast<size_t>(n)];
        if (account.password.empty()) {
            findings.push_back({account.eKind, account.nSlot, HealthReason::Empty});
            continue;
        }
        const std::vector<std::string_view> words = AccountOwnWords(lists, account.eKind, account.nSlot);
        if (BandOfBits(EstimateStrengthBits(account.password, words)) == StrengthBand::Poor)
            findings.push_back({account.eKind, account.nSlot, HealthReason::Weak});
        if (sharers[account.password] > 1) {
            const auto [group, bNew] = groups.emplace(account.password, static_cast<int>(groups.size()) + 1);
            findings.push_back({account.eKind, account.nSlot, HealthReason::Reused, group->second});
        }
    }
    if (progress)
        progress(total, total);
    return findings;
}

const char* HealthReasonName(HealthReason reason) {
    switch (reason) {
    case HealthReason::Weak:
        return "weak";
    case HealthReason::Reused:
        return "reused";
    case HealthReason::Empty:
        return "empty";
    }
    return "weak";
}

} // namespace passwords
