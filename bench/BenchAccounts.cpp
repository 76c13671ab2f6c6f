#include "BenchAccounts.h"

#include <memory>
#include <string>

namespace bench {

namespace {

platform::SecureString Field(const char* prefix, int i) {
    const std::string s = std::string(prefix) + " " + std::to_string(i);
    return platform::SecureString(s.data(), s.size());
}

} // namespace

void FillAccounts(AccountLists& lists, int accounts, bool scrambledNames) {
    for (int i = 0; i < accounts; ++i) {
        const int name = scrambledNames ? static_cast<int>((static_cast<unsigned>(i) * 2654435761u) % 1000003u) : i;
        platform::SecureString notes = Field("Notes for the account, first line", i);
        notes += "\r\nsecond line: a < b & c > d\r\nthird line, café";
        switch (i % 3) {
        case 0: {
            auto w = std::make_unique<WebAccount>();
            w->strName = Field("Web shop", name);
            w->strAddress = Field("https://www.example.com/login?user=", i);
            w->strUserId = Field("user", i);
            w->strPassword = Field("S3cr3t&pw", i);
            w->strNotes = notes;
            lists.m_aWebAccounts.Append(std::move(w));
            break;
        }
        case 1: {
            auto m = std::make_unique<MailAccount>();
            m->strName = Field("Mailbox", name);
            m->strAddress = Field("someone@example.org", i);
            m->strWebInterface = Field("https://mail.example.org", i);
            m->strSmtpServer = Field("smtp.example.org", i);
            m->strPopServer = Field("pop.example.org", i);
            m->strUserId = Field("someone", i);
            m->strPassword = Field("p<a>ss", i);
            m->strNotes = notes;
            lists.m_aMailAccounts.Append(std::move(m));
            break;
        }
        default: {
            auto o = std::make_unique<OtherAccount>();
            o->strName = Field("Bank card", name);
            o->strUserId = Field("4111 1111 1111", i);
            o->strPassword = Field("PIN", i);
            o->strNotes = notes;
            lists.m_aOtherAccounts.Append(std::move(o));
            break;
        }
        }
    }
}

} // namespace bench
