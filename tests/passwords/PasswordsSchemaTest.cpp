#include "passwords/PasswordsSchema.h"
#include "cipher/DocumentFile.h"
#include "common/TestRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <random>

namespace {

const std::string kEmptyText = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<DOC>\r\n<WEB_ACCOUNTS/>\r\n"
                               "<MAIL_ACCOUNTS/>\r\n<OTHER_ACCOUNTS/>\r\n</DOC>\r\n";

const std::string kExampleText = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                                 "<DOC>\r\n"
                                 "<WEB_ACCOUNTS>\r\n"
                                 "<ACCOUNT>\r\n"
                                 "<NAME>Shop &amp; Co</NAME>\r\n"
                                 "<ADDRESS/>\r\n"
                                 "<USERID/>\r\n"
                                 "<PASSWORD/>\r\n"
                                 "<NOTES>line 1\r\n"
                                 "line 2</NOTES>\r\n"
                                 "</ACCOUNT>\r\n"
                                 "</WEB_ACCOUNTS>\r\n"
                                 "<MAIL_ACCOUNTS/>\r\n"
                                 "<OTHER_ACCOUNTS>\r\n"
                                 "<ACCOUNT>\r\n"
                                 "<NAME>Card</NAME>\r\n"
                                 "<USERID/>\r\n"
                                 "<PASSWORD/>\r\n"
                                 "<NOTES/>\r\n"
                                 "</ACCOUNT>\r\n"
                                 "</OTHER_ACCOUNTS>\r\n"
                                 "</DOC>\r\n";

std::string S(const platform::SecureString& s) {
    return std::string(s.view());
}

platform::SecureString Built(const AccountLists& lists) {
    platform::SecureString text;
    if (!BuildPasswordsText(lists, text))
        qWarning("the passwords text was not built");
    return text;
}

template <typename Record> std::unique_ptr<Record> Named(const std::string& name) {
    auto r = std::make_unique<Record>();
    r->strName = platform::SecureString(name.data(), name.size());
    return r;
}

// Every field of every record, in slot order, skipping emptied slots.
template <typename Record, size_t N>
std::vector<std::string> Flatten(const AccountList<Record>& list, const AccountField<Record> (&fields)[N]) {
    std::vector<std::string> out;
    for (int slot = 0; slot < list.Size(); ++slot)
        if (const Record* r = list.At(slot))
            for (const auto& f : fields)
                out.push_back(S(r->*f.pMember));
    return out;
}

} // namespace

class PasswordsSchemaTest : public QObject {
    Q_OBJECT
private slots:
    void emptyDocumentIsExactly114BytesAnd232OnDisk() {
        AccountLists lists;
        QCOMPARE(S(Built(lists)), kEmptyText);
        QCOMPARE(kEmptyText.size(), size_t(114));
        // The golden file was made from this text; ours must be byte for byte the same.
        const QString golden = QString(LW_TEST_DATA_DIR) + "/empty.kvd";
        QFile f(golden);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.size(), 232);
        platform::SecureBytes encoded;
        QCOMPARE(cipher::EncodeDocument(kEmptyText, "secret", encoded), cipher::DocResult::Ok);
        QVERIFY(QByteArray(reinterpret_cast<const char*>(encoded.data()), qsizetype(encoded.size())) == bytes);
        AccountLists back;
        platform::SecureString text;
        QVERIFY(cipher::ReadDocumentFile(golden.toStdString(), "secret", text).ok());
        QVERIFY(ReadPasswordsText(text.view(), back));
        QCOMPARE(back.m_aWebAccounts.Size() + back.m_aMailAccounts.Size() + back.m_aOtherAccounts.Size(), 0);
    }

    void exampleLineByLineAndBack() {
        AccountLists lists;
        auto web = Named<WebAccount>("Shop & Co");
        web->strNotes = "line 1\r\nline 2";
        lists.m_aWebAccounts.Append(std::move(web));
        lists.m_aOtherAccounts.Append(Named<OtherAccount>("Card"));
        QCOMPARE(S(Built(lists)), kExampleText);

        AccountLists back;
        QVERIFY(ReadPasswordsText(kExampleText, back));
        QCOMPARE(back.m_aWebAccounts.Size(), 1);
        QCOMPARE(back.m_aMailAccounts.Size(), 0);
        QCOMPARE(back.m_aOtherAccounts.Size(), 1);
        QCOMPARE(S(back.m_aWebAccounts.At(0)->strName), std::string("Shop & Co"));
        QCOMPARE(S(back.m_aWebAccounts.At(0)->strNotes), std::string("line 1\r\nline 2"));
        QCOMPARE(S(back.m_aOtherAccounts.At(0)->strName), std::string("Card"));
    }

    void mailFieldsAreWrittenInFileOrder() {
        AccountLists lists;
        auto mail = Named<MailAccount>("M");
        mail->strAddress = "a";
        mail->strWebInterface = "w";
        mail->strSmtpServer = "s";
        mail->strPopServer = "p";
        mail->strUserId = "u";
        mail->strPassword = "pw";
        mail->strNotes = "n";
        lists.m_aMailAccounts.Append(std::move(mail));
        const std::string text = S(Built(lists));
        QVERIFY(text.find("<NAME>M</NAME>\r\n<ADDRESS>a</ADDRESS>\r\n<WEBINTERFACE>w</WEBINTERFACE>\r\n"
                          "<USERID>u</USERID>\r\n<PASSWORD>pw</PASSWORD>\r\n<SMTPSERVER>s</SMTPSERVER>\r\n"
                          "<POPSERVER>p</POPSERVER>\r\n<NOTES>n</NOTES>\r\n") != std::string::npos);
        AccountLists back;
        QVERIFY(ReadPasswordsText(text, back));
        QCOMPARE(Flatten(back.m_aMailAccounts, kMailShownFields),
                 (std::vector<std::string>{"M", "a", "w", "s", "p", "u", "pw", "n"}));
    }

    void emptiedSlotsAreSkippedAndRenumbered() {
        AccountLists lists;
        lists.m_aWebAccounts.Append(Named<WebAccount>("zero"));
        lists.m_aWebAccounts.Append(Named<WebAccount>("one"));
        lists.m_aWebAccounts.Append(Named<WebAccount>("two"));
        lists.m_aWebAccounts.Remove(1);
        QCOMPARE(lists.m_aWebAccounts.Append(Named<WebAccount>("three")), 3);
        AccountLists back;
        QVERIFY(ReadPasswordsText(Built(lists).view(), back));
        QCOMPARE(back.m_aWebAccounts.Size(), 3);
        QCOMPARE(S(back.m_aWebAccounts.At(0)->strName), std::string("zero"));
        QCOMPARE(S(back.m_aWebAccounts.At(1)->strName), std::string("two"));
        QCOMPARE(S(back.m_aWebAccounts.At(2)->strName), std::string("three"));
    }

    void randomRoundTrips() {
        std::mt19937 rng(11);
        const std::string pieces[] = {"<", "&",  ">", "\"", "'",    "\t", "\r\n",  "\n",  "\r",   "   ",
                                      "a", "Zz", "é", "€",  "日本", "😀",  "&amp;", "]]>", "<!--", "&#65;"};
        auto randomText = [&] {
            std::string s;
            const int n = static_cast<int>(rng() % 6);
            for (int i = 0; i < n; ++i)
                s += pieces[rng() % std::size(pieces)];
            return platform::SecureString(s.data(), s.size());
        };
        for (int round = 0; round < 30; ++round) {
            AccountLists lists;
            for (int i = 0; i < 5; ++i) {
                auto w = std::make_unique<WebAccount>();
                for (const auto& f : kWebFileFields)
                    (*w).*f.pMember = randomText();
                lists.m_aWebAccounts.Append(std::move(w));
                auto m = std::make_unique<MailAccount>();
                for (const auto& f : kMailFileFields)
                    (*m).*f.pMember = randomText();
                lists.m_aMailAccounts.Append(std::move(m));
                auto o = std::make_unique<OtherAccount>();
                for (const auto& f : kOtherFileFields)
                    (*o).*f.pMember = randomText();
                lists.m_aOtherAccounts.Append(std::move(o));
            }
            lists.m_aMailAccounts.Remove(static_cast<int>(rng() % 5));
            // Through the text and through an enciphered file.
            QTemporaryDir dir;
            const std::string path = (dir.path() + "/r.kvd").toStdString();
            QVERIFY(cipher::WriteDocumentFile(path, "pw", Built(lists).view()).ok());
            platform::SecureString text;
            QVERIFY(cipher::ReadDocumentFile(path, "pw", text).ok());
            AccountLists back;
            QVERIFY(ReadPasswordsText(text.view(), back));
            QCOMPARE(Flatten(back.m_aWebAccounts, kWebFileFields), Flatten(lists.m_aWebAccounts, kWebFileFields));
            QCOMPARE(Flatten(back.m_aMailAccounts, kMailFileFields), Flatten(lists.m_aMailAccounts, kMailFileFields));
            QCOMPARE(Flatten(back.m_aOtherAccounts, kOtherFileFields),
                     Flatten(lists.m_aOtherAccounts, kOtherFileFields));
            QCOMPARE(back.m_aMailAccounts.Size(), 4);
        }
    }

    void handMadeTexts() {
        // Any root name; a comment, a processing instruction, CDATA and a character reference
        // (kept as written); an unknown element; a missing field reads as empty, not as the
        // field before it; two web groups read in turn.
        const std::string text = "<ROOT><!-- hand made --><?pi x?>"
                                 "<WEB_ACCOUNTS><ACCOUNT><NAME>A</NAME><PASSWORD><![CDATA[<x&y>]]></PASSWORD>"
                                 "<EXTRA>ignored</EXTRA><NOTES>&#65;</NOTES></ACCOUNT></WEB_ACCOUNTS>"
                                 "<WEB_ACCOUNTS><ACCOUNT><NAME>B</NAME></ACCOUNT></WEB_ACCOUNTS>"
                                 "<OTHER_ACCOUNTS><ACCOUNT><NAME>O</NAME></ACCOUNT></OTHER_ACCOUNTS>"
                                 "<MAIL_ACCOUNTS><ACCOUNT><NAME>M</NAME></ACCOUNT></MAIL_ACCOUNTS>"
                                 "</ROOT>";
        AccountLists lists;
        QVERIFY(ReadPasswordsText(text, lists));
        QCOMPARE(Flatten(lists.m_aWebAccounts, kWebFileFields),
                 (std::vector<std::string>{"A", "", "", "<x&y>", "&#65;", "B", "", "", "", ""}));
        // A group after a group of a later kind is read all the same.
        QCOMPARE(Flatten(lists.m_aMailAccounts, kMailFileFields),
                 (std::vector<std::string>{"M", "", "", "", "", "", "", ""}));
        QCOMPARE(Flatten(lists.m_aOtherAccounts, kOtherFileFields), (std::vector<std::string>{"O", "", "", ""}));

        // Groups of every kind in any order and interleaved: each kind keeps the document order of
        // its accounts.
        AccountLists mixed;
        QVERIFY(ReadPasswordsText("<DOC><OTHER_ACCOUNTS><ACCOUNT><NAME>o1</NAME></ACCOUNT></OTHER_ACCOUNTS>"
                                  "<MAIL_ACCOUNTS><ACCOUNT><NAME>m1</NAME></ACCOUNT></MAIL_ACCOUNTS>"
                                  "<WEB_ACCOUNTS><ACCOUNT><NAME>w1</NAME></ACCOUNT></WEB_ACCOUNTS>"
                                  "<MAIL_ACCOUNTS><ACCOUNT><NAME>m2</NAME></ACCOUNT></MAIL_ACCOUNTS>"
                                  "<web_accounts><ACCOUNT><NAME>not a group</NAME></ACCOUNT></web_accounts>"
                                  "<WEB_ACCOUNTS><ACCOUNT><NAME>w2</NAME></ACCOUNT></WEB_ACCOUNTS></DOC>",
                                  mixed));
        const auto names = [](const auto& list) {
            std::vector<std::string> out;
            for (int slot = 0; slot < list.Size(); ++slot)
                out.push_back(S(list.At(slot)->strName));
            return out;
        };
        QCOMPARE(names(mixed.m_aWebAccounts), (std::vector<std::string>{"w1", "w2"}));
        QCOMPARE(names(mixed.m_aMailAccounts), (std::vector<std::string>{"m1", "m2"}));
        QCOMPARE(names(mixed.m_aOtherAccounts), (std::vector<std::string>{"o1"}));
    }

    void textsWithoutRootAreRefused() {
        for (const std::string& text : {std::string(), std::string("garbage \x01\x02"), std::string("<DOC><open>"),
                                        std::string("<?xml version=\"1.0\"?>\r\n")}) {
            AccountLists lists;
            QVERIFY(!ReadPasswordsText(text, lists));
            QCOMPARE(lists.m_aWebAccounts.Size(), 0);
        }
        AccountLists lists;
        QVERIFY(ReadPasswordsText("<DOC/>", lists));
    }
};

LW_REGISTER_TEST(PasswordsSchemaTest);
#include "PasswordsSchemaTest.moc"
