#include "CliRunner.h"
#include "cipher/StrongFile.h"
#include "common/TestRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The command-line tool writes new strong files with the full key derivation; those tests are few.
// The others start from files made here with small figures, which the header carries.
class StrongCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    void MakeQuickStrong(const QString& path, const char* password, std::string_view text) {
        cipher::SetNewStrongCost({1, 64});
        QVERIFY(cipher::WriteDocumentFile(path.toStdString(), password, text, cipher::DocFormat::Strong).ok());
        cipher::SetNewStrongCost({});
    }

private slots:
    void encryptStrongWritesTheFullDerivation() {
        const QByteArray text("line one\r\nzwei: Grüße 😀\n");
        Write(Path("in.txt"), text);
        CliResult r = RunCli({"encrypt", "--strong", Path("in.txt"), Path("s.etx")}, "pw\npw\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(Read(Path("s.etx")).size(), 80 + text.size());
        r = RunCli({"info", Path("s.etx")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("Format: strong"));
        QVERIFY(r.out.contains("Argon2id v1.3, 3 passes, 262144 KiB memory"));
        r = RunCli({"decrypt", Path("s.etx")}, "pw\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, text);
    }

    void passwdKeepsOrChangesTheFormat() {
        MakeQuickStrong(Path("p.kvd"), "old", "keep me\r\n");
        QCOMPARE(RunCli({"passwd", Path("p.kvd")}, "old\nnew\nnew\n").exitCode, 0);
        QVERIFY(RunCli({"info", Path("p.kvd")}).out.contains("Format: strong"));
        MakeQuickStrong(Path("q.kvd"), "old", "keep me\r\n");
        QCOMPARE(RunCli({"passwd", "--compatible", Path("q.kvd")}, "old\nnewer\nnewer\n").exitCode, 0);
        QVERIFY(RunCli({"info", Path("q.kvd")}).out.contains("Format: compatible"));
        QCOMPARE(RunCli({"decrypt", Path("q.kvd")}, "newer\n").out, QByteArray("keep me\r\n"));
        QCOMPARE(RunCli({"passwd", "--strong", "--compatible", Path("p.kvd")}).exitCode, 2);
    }

    void refusalsNameTheFile() {
        MakeQuickStrong(Path("r.etx"), "right", "secret");
        CliResult r = RunCli({"decrypt", Path("r.etx")}, "wrong\n");
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("r.etx"));
        QVERIFY(r.err.contains("password is wrong or the file is damaged"));

        QByteArray newer = Read(Path("r.etx"));
        newer[8] = 2;
        Write(Path("newer.etx"), newer);
        r = RunCli({"decrypt", Path("newer.etx")}, "right\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains("newer.etx"));
        QVERIFY(r.err.contains("newer version"));
        r = RunCli({"info", Path("newer.etx")});
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains("newer version"));

        QByteArray greedy = Read(Path("r.etx"));
        greedy[19] = 0x7F; // memory far beyond the limit
        Write(Path("greedy.etx"), greedy);
        r = RunCli({"decrypt", Path("greedy.etx")}, "right\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains("greedy.etx"));
        QVERIFY(r.err.contains("1 GiB"));
    }

    // The strong format keys on the whole password, so a NUL in it is taken as it is at open.
    void aStrongFileOpensWithANulInItsPassword() {
        const std::string password("abc\0def", 7);
        cipher::SetNewStrongCost({1, 64});
        QVERIFY(cipher::WriteDocumentFile(Path("nul.etx").toStdString(), password, "inside", cipher::DocFormat::Strong)
                    .ok());
        cipher::SetNewStrongCost({});
        QCOMPARE(RunCli({"decrypt", Path("nul.etx")}, QByteArray("abc\0def\n", 8)).out, QByteArray("inside"));
        QCOMPARE(RunCli({"decrypt", Path("nul.etx")}, "abc\n").exitCode, 1);
    }

    void infoOfACompatibleFileAsksNothing() {
        Write(Path("c.txt"), "text");
        QCOMPARE(RunCli({"encrypt", Path("c.txt"), Path("c.etx")}, "pw\npw\n").exitCode, 0);
        const CliResult r = RunCli({"info", Path("c.etx")}); // no input at all: no password is asked
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("Format: compatible"));
        QCOMPARE(RunCli({"info", Path("absent.etx")}).exitCode, 3);
    }

    void importStrongGivesAStrongPasswordsFile() {
        const QString json = QStringLiteral(LW_TEST_DATA_DIR "/awkward.json");
        QCOMPARE(RunCli({"import", json, Path("c.kvd")}, "pw\npw\n").exitCode, 0);
        QCOMPARE(RunCli({"import", "--strong", json, Path("s.kvd")}, "pw\npw\n").exitCode, 0);
        QVERIFY(RunCli({"info", Path("s.kvd")}).out.contains("Format: strong"));
        const CliResult strong = RunCli({"export", Path("s.kvd")}, "pw\n");
        QCOMPARE(strong.exitCode, 0);
        QVERIFY(strong.out.contains("Shop & <Co>"));
        QCOMPARE(strong.out, RunCli({"export", Path("c.kvd")}, "pw\n").out);
    }
};

LW_REGISTER_TEST(StrongCommandsTest);

#include "StrongCommandsTest.moc"
