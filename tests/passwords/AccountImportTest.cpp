#include "passwords/AccountImport.h"
#include "common/TestRegistry.h"
#include "passwords/AccountCsv.h"
#include "passwords/PasswordsSchema.h"

#include <QFile>
#include <QTest>

namespace {

std::string DataFile(const char* name) {
    QFile f(QString(LW_TEST_DATA_DIR) + "/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// Every field of every record of a list, in the file's field order, one string per record.
template <typename Record, size_t N>
QStringList Records(const AccountList<Record>& list, const AccountField<Record> (&fields)[N]) {
    QStringList out;
    for (int slot = 0; slot < list.Size(); ++slot) {
        if (const Record* r = list.At(slot)) {
            QStringList values;
            for (const auto& f : fields)
                values << QString::fromStdString(std::string((r->*f.pMember).view()));
            out << values.join("|");
        }
    }
    return out;
}

int Count(const AccountLists& lists) {
    return lists.m_aWebAccounts.Size() + lists.m_aMailAccounts.Size() + lists.m_aOtherAccounts.Size();
}

} // namespace

class AccountImportTest : public QObject {
    Q_OBJECT
private slots:
    // Quotes, commas, line breaks of each kind and non-ASCII inside fields; extra columns left out;
    // group and TOTP kept in the notes, the notes' line breaks made CR LF.
    void keePassXCExport() {
        AccountLists lists;
        ImportProblem problem;
        QVERIFY(ImportAccounts(DataFile("keepassxc.csv"), ImportFormat::Detect, lists, problem));
        QCOMPARE(Records(lists.m_aWebAccounts, kWebFileFields),
                 QStringList({"Bank \"Süd\", online|https://bank.example/login?a=1,b=2|jörg|pa,ss\"word|"
                              "Group: Root/Banking\r\nfirst line\r\nsecond line\r\nthird line\r\n"
                              "TOTP: otpauth://totp/x?secret=ABC",
                              "日本語 mail|https://mail.example|user@example.org| lead and trail |Group: Root/Общее"}));
        QCOMPARE(Records(lists.m_aOtherAccounts, kOtherFileFields), QStringList({"Door code||4711|Group: Root"}));
        QCOMPARE(lists.m_aMailAccounts.Size(), 0);
    }

    void bitwardenExport() {
        AccountLists lists;
        ImportProblem problem;
        QVERIFY(ImportAccounts(DataFile("bitwarden.csv"), ImportFormat::Detect, lists, problem));
        QCOMPARE(Records(lists.m_aWebAccounts, kWebFileFields),
                 QStringList({"Straße|https://social.example|anna|p,w\"1|"
                              "Folder: Social\r\nNotes with \"quotes\", commas\r\nand a second line",
                              "VPN|https://vpn.example|bob|s3cret|"
                              "Folder: Work\r\nTOTP: JBSWY3DPEHPK3PXP\r\nPIN: 1234\r\nRegion: EU"}));
        QCOMPARE(Records(lists.m_aOtherAccounts, kOtherFileFields),
                 QStringList({"Wi-Fi at home|||SSID: Home\r\nKey: abc"}));
    }

    // An entry without a title is named after its user name, else its address's host (without user,
    // port or path), else "(no title)".
    void untitledEntriesAreNamed() {
        AccountLists lists;
        ImportProblem problem;
        const std::string keepass = "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\n"
                                    "\"Root\",\"\",\"jane\",\"pw\",\"https://a.example/x\",\"\"\n"
                                    "\"Root\",\"\",\"\",\"pw\",\"https://me@b.example:8443/login?x=1\",\"\"\n"
                                    "\"Root\",\"\",\"\",\"1234\",\"\",\"\"\n"
                                    "\"Root\",\"\",\"\",\"pw\",\"c.example/path\",\"\"\n";
        QVERIFY(ImportAccounts(keepass, ImportFormat::Detect, lists, problem));
        QCOMPARE(Records(lists.m_aWebAccounts, kWebFileFields),
                 QStringList({"jane|https://a.example/x|jane|pw|Group: Root",
                              "b.example|https://me@b.example:8443/login?x=1||pw|Group: Root",
                              "c.example|c.example/path||pw|Group: Root"}));
        QCOMPARE(Records(lists.m_aOtherAccounts, kOtherFileFields), QStringList({"(no title)||1234|Group: Root"}));

        AccountLists bitwarden;
        QVERIFY(ImportAccounts("folder,favorite,type,name,notes,fields,reminder,login_uri,login_username,"
                               "login_password,login_totp\n"
                               ",,login,,,,,\"https://[::1]:8080/a,https://x.example\",,pw,\n",
                               ImportFormat::Detect, bitwarden, problem));
        QCOMPARE(Records(bitwarden.m_aWebAccounts, kWebFileFields),
                 QStringList({"[::1]|https://[::1]:8080/a||pw|Other addresses: https://x.example"}));
        // JSON names its accounts itself: one without NAME is refused as before.
        AccountLists json;
        QVERIFY(
            !ImportAccounts("{\"web\": [{\"ADDRESS\": \"https://a.example\"}]}", ImportFormat::Detect, json, problem));
        QCOMPARE(Count(json), 0);
    }

    // Of several Bitwarden addresses the first is the address; the others, trimmed, go into the notes
    // on one line after the entry's own notes and before the TOTP secret. Empty pieces are dropped.
    void bitwardenOtherAddresses() {
        AccountLists lists;
        ImportProblem problem;
        QVERIFY(ImportAccounts("folder,favorite,type,name,notes,fields,reminder,login_uri,login_username,"
                               "login_password,login_totp\n"
                               "Shop,,login,Shop,mine,,,\"https://shop.example, https://m.shop.example,,"
                               "https://shop.example.org\",me,pw,SECRET\n"
                               ",,login,One,,,,\" https://one.example ,\",,pw,\n",
                               ImportFormat::Detect, lists, problem));
        QCOMPARE(Records(lists.m_aWebAccounts, kWebFileFields),
                 QStringList({"Shop|https://shop.example|me|pw|Folder: Shop\r\nmine\r\n"
                              "Other addresses: https://m.shop.example, https://shop.example.org\r\nTOTP: SECRET",
                              "One|https://one.example||pw|"}));
        // A KeePassXC address is one address, commas and all.
        AccountLists keepass;
        QVERIFY(ImportAccounts("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\n"
                               "\"\",\"T\",\"\",\"\",\"https://a.example/?x=1,2\",\"\"\n",
                               ImportFormat::Detect, keepass, problem));
        QCOMPARE(Records(keepass.m_aWebAccounts, kWebFileFields), QStringList({"T|https://a.example/?x=1,2|||"}));
    }

    // Our own shape gives back every field exactly, e-mail accounts and lone line breaks included.
    void ourCsvRoundTrip() {
        AccountLists lists;
        auto web = std::make_unique<WebAccount>();
        web->strName = "a \"b\", c";
        web->strNotes = "x\ny\rz\r\n";
        web->strPassword = "  ";
        lists.m_aWebAccounts.Append(std::move(web));
        lists.m_aWebAccounts.Append(std::make_unique<WebAccount>());
        lists.m_aWebAccounts.Remove(1);
        auto mail = std::make_unique<MailAccount>();
        mail->strName = "Post";
        mail->strSmtpServer = "smtp";
        mail->strPopServer = "pop";
        lists.m_aMailAccounts.Append(std::move(mail));
        auto other = std::make_unique<OtherAccount>();
        other->strName = "日本";
        lists.m_aOtherAccounts.Append(std::move(other));

        platform::SecureString csv;
        BuildAccountsCsv(lists, csv);
        QCOMPARE(std::string(csv.view()),
                 std::string("\"kind\",\"NAME\",\"ADDRESS\",\"WEBINTERFACE\",\"USERID\",\"PASSWORD\",\"SMTPSERVER\","
                             "\"POPSERVER\",\"NOTES\"\r\n"
                             "\"web\",\"a \"\"b\"\", c\",\"\",\"\",\"\",\"  \",\"\",\"\",\"x\ny\rz\r\n\"\r\n"
                             "\"mail\",\"Post\",\"\",\"\",\"\",\"\",\"smtp\",\"pop\",\"\"\r\n"
                             "\"other\",\"日本\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        AccountLists back;
        ImportProblem problem;
        QVERIFY(ImportAccounts(csv.view(), ImportFormat::Detect, back, problem));
        QCOMPARE(Records(back.m_aWebAccounts, kWebFileFields), Records(lists.m_aWebAccounts, kWebFileFields));
        QCOMPARE(Records(back.m_aMailAccounts, kMailFileFields), Records(lists.m_aMailAccounts, kMailFileFields));
        QCOMPARE(Records(back.m_aOtherAccounts, kOtherFileFields), Records(lists.m_aOtherAccounts, kOtherFileFields));

        // Hand-made: columns in any order, no kind (the address decides), a byte-order mark.
        AccountLists hand;
        QVERIFY(ImportAccounts("\xEF\xBB\xBFNOTES,NAME,ADDRESS\nn,Site,https://x\n,Safe,\n", ImportFormat::Detect, hand,
                               problem));
        QCOMPARE(Records(hand.m_aWebAccounts, kWebFileFields), QStringList({"Site|https://x|||n"}));
        QCOMPARE(Records(hand.m_aOtherAccounts, kOtherFileFields), QStringList({"Safe|||"}));
    }

    // Places are counted in the file as an editor shows it: a byte-order mark takes three bytes, and
    // a lone CR (old Mac line ends) ends a line as LF and CR LF do.
    void placesCountTheByteOrderMarkAndLoneCarriageReturns() {
        const std::string json = "{\"web\": [}";
        AccountLists lists;
        ImportProblem plain, marked;
        QVERIFY(!ImportAccounts(json, ImportFormat::Detect, lists, plain));
        QVERIFY(!ImportAccounts("\xEF\xBB\xBF" + json, ImportFormat::Detect, lists, marked));
        QVERIFY(plain.nJsonByte > 0);
        QCOMPARE(marked.nJsonByte, plain.nJsonByte + 3);
        QVERIFY(!ImportAccounts("\xEF\xBB\xBF" + json, ImportFormat::Json, lists, marked));
        QCOMPARE(marked.nJsonByte, plain.nJsonByte + 3);

        const struct {
            std::string text;
            int line;
            const char* reason;
        } cases[] = {
            {"kind,NAME\rweb,a\rweb,b,c\r", 3, "3 fields where the header has 2"},
            {"\xEF\xBB\xBFkind,NAME\rweb,a\r\rbank,b\r", 4, "unknown kind"},
            {"kind,NAME,NOTES\rweb,a,\"x\ry\rz\"\rweb,\"b\"x,\r", 5, "double quote"},
            {"kind,NAME\rweb,a\rweb,\"open\rstill", 3, "never closed"},
            {"kind,NAME\rweb,a\rweb,b\xff\r", 3, "not UTF-8"},
            {"kind,NAME\r\nweb,a\rweb,b\nbank,c", 4, "unknown kind"}, // every kind of line end at once
        };
        for (const auto& c : cases) {
            ImportProblem problem;
            QVERIFY2(!ImportAccounts(c.text, ImportFormat::Detect, lists, problem), c.text.c_str());
            QVERIFY2(problem.strReason.find(c.reason) != std::string::npos, problem.strReason.c_str());
            QCOMPARE(problem.nLine, c.line);
        }
        // Records that span lines in quotes start where they start.
        std::vector<CsvRecord> records;
        ImportProblem problem;
        QVERIFY(ReadCsvTable("a,b\r\"1\r2\",x\rc,d\r", records, problem));
        QCOMPARE(records.size(), size_t(3));
        QCOMPARE(records[1].nLine, 2);
        QCOMPARE(records[2].nLine, 4);
    }

    // Each refusal names the line where the fault is, counting the lines inside quoted fields, and
    // leaves the lists as they were.
    void faultsAreRefusedWithTheirLine() {
        const std::string keepass = "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\n";
        const std::string spanning = "\"g\",\"t\",\"u\",\"p\",\"\",\"1\r\n2\n3\"\n"; // lines 2 to 4
        const struct {
            std::string text;
            ImportFormat format;
            int line;
            const char* reason;
        } cases[] = {
            {keepass + spanning + "\"g\",\"t\"\n", ImportFormat::Detect, 5, "2 fields where the header has 6"},
            {keepass + spanning + "\r\n\"g\",\"t\",\"u\",\"p\",\"\",\"oops\n\n", ImportFormat::Detect, 6,
             "never closed"},
            {keepass + spanning + "\"g\",\"t\",\"u\",\"p\"x,\"\",\"\"\n", ImportFormat::Detect, 5, "double quote"},
            {keepass + "g,t,u,p\"w,,\n", ImportFormat::Detect, 2, "double quote"},
            {keepass + spanning + "\"g\",\"t\xff\",\"u\",\"p\",\"\",\"\"\n", ImportFormat::Detect, 5, "not UTF-8"},
            {"\n\nname,user,password\nx,y,z\n", ImportFormat::Detect, 3, "none that import knows"},
            {keepass, ImportFormat::Bitwarden, 1, "no column \"folder\""},
            {"kind,NAME\nweb,a\nbank,b\n", ImportFormat::Detect, 3, "unknown kind \"bank\""},
            {"kind,NAME,ADDRESS\nother,a,https://x\n", ImportFormat::Detect, 2, "ADDRESS is filled in"},
            {"kind,NAME\r\nweb,a\r\nweb", ImportFormat::Detect, 3, "1 fields where the header has 2"},
            {"NAME,NAME\na,b\n", ImportFormat::Csv, 1, "stands twice"},
        };
        for (const auto& c : cases) {
            AccountLists lists;
            lists.m_aOtherAccounts.Append(std::make_unique<OtherAccount>());
            ImportProblem problem;
            QVERIFY2(!ImportAccounts(c.text, c.format, lists, problem), c.text.c_str());
            QVERIFY2(problem.strReason.find(c.reason) != std::string::npos, problem.strReason.c_str());
            QCOMPARE(problem.nLine, c.line);
            QCOMPARE(Count(lists), 1);
        }
        ImportProblem problem;
        AccountLists lists;
        QVERIFY(!ImportAccounts("", ImportFormat::Detect, lists, problem));
        QCOMPARE(DescribeImportProblem("e.csv", problem), std::string("\"e.csv\": the file is empty"));
        QVERIFY(!ImportAccounts(" {\"web\": 1}", ImportFormat::Detect, lists, problem));
        QCOMPARE(DescribeImportProblem("j", problem), std::string("\"j\": web is not an array of accounts"));
        // Neither a number beyond a double nor brackets nested very deep bring the program down.
        QVERIFY(!ImportAccounts("{\"web\": 1e999}", ImportFormat::Detect, lists, problem));
        QVERIFY(problem.strReason.find("number too large") != std::string::npos);
        QVERIFY(
            !ImportAccounts(std::string(200000, '[') + std::string(200000, ']'), ImportFormat::Detect, lists, problem));
        QVERIFY(problem.strReason.find("top level") != std::string::npos);
        // Forced, a JSON-looking text is read as CSV and the other way round.
        QVERIFY(!ImportAccounts("NAME\nx\n", ImportFormat::Json, lists, problem));
        QCOMPARE(DescribeImportProblem("j", problem), std::string("\"j\" is not valid JSON (at byte 1)"));
        QVERIFY(ImportAccounts("NAME\n\"{x}\"\n", ImportFormat::Csv, lists, problem));
        QCOMPARE(Records(lists.m_aOtherAccounts, kOtherFileFields), QStringList({"{x}|||"}));
    }
};

LW_REGISTER_TEST(AccountImportTest);
#include "AccountImportTest.moc"
