#include "CliRunner.h"
#include "common/TestRegistry.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs the tool with a named pipe as its input file. Once the tool holds the pipe open - so it is
// past its check of the output, and waits for its input - `meanwhile` runs; then the input and the
// passwords go in.
CliResult RunWhileInputWaits(const QStringList& arguments, const QString& fifo, const std::function<void()>& meanwhile,
                             const QByteArray& input, const QByteArray& passwords) {
    CliResult result;
    const QByteArray fifoName = QFile::encodeName(fifo);
    if (::mkfifo(fifoName.constData(), 0600) != 0)
        return result;
    // Held open here first, so that the tool's read waits for the input instead of finding the end.
    const int fd = ::open(fifoName.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return result;
    QProcess process;
    process.start(LW_CLI_PATH, arguments);
    process.waitForStarted();
    const QString pipe = QFileInfo(fifo).canonicalFilePath();
    const auto toolHoldsPipe = [&process, &pipe] {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(process.processId()));
        for (const QFileInfo& entry : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (entry.symLinkTarget() == pipe)
                return true;
        }
        return false;
    };
    QDeadlineTimer deadline(30000);
    while (!toolHoldsPipe() && !deadline.hasExpired() && process.state() == QProcess::Running)
        QTest::qWait(20);
    meanwhile();
    if (::write(fd, input.constData(), size_t(input.size())) != input.size())
        qWarning("short write to the pipe");
    ::close(fd);
    process.write(passwords);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.err = process.readAllStandardError();
    return result;
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void encryptThenDecryptGivesTheBytesBack() {
        static const char withNul[] = "nul\0inside and emoji 😀, CJK 漢字, Greek Ωμέγα\r\n";
        const QByteArray texts[] = {
            "plain\n",
            QByteArray("CRLF\r\nLF\nCR\rno newline at the end"),
            QByteArray(withNul, sizeof withNul - 1),
            QByteArray(200000, 'x') + "é",
        };
        for (const QByteArray& text : texts) {
            Write(Path("in.txt"), text);
            CliResult r = RunCli({"encrypt", "--force", Path("in.txt"), Path("out.etx")}, "pässwörd\npässwörd\n");
            QCOMPARE(r.exitCode, 0);
            QVERIFY(r.out.isEmpty());
            r = RunCli({"decrypt", Path("out.etx")}, "pässwörd\n");
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.out, text);
        }
    }

    // Files that can't be read are reported before any password is read.
    void unreadableInputsBeforePasswords() {
        for (const QString& bad : {Path("missing.etx"), Path("")}) {
            const CliResult r = RunCli({"decrypt", bad}, "");
            QCOMPARE(r.exitCode, 3);
            QVERIFY2(r.err.contains("Cannot read"), r.err.constData());
        }
        Write(Path("blank.etx"), "");
        QCOMPARE(RunCli({"decrypt", Path("blank.etx")}, "").exitCode, 3);
    }

    void wrongPasswordsAndDamagedFiles() {
        Write(Path("t.txt"), "secret text\n");
        QCOMPARE(RunCli({"encrypt", Path("t.txt"), Path("t.etx")}, "right\nright\n").exitCode, 0);
        CliResult r = RunCli({"decrypt", Path("t.etx")}, "wrong\n");
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("t.etx"));
        QVERIFY(r.err.contains("password is wrong or the file is damaged"));
        Write(Path("damaged.etx"), QByteArray(13, 'z'));
        QCOMPARE(RunCli({"decrypt", Path("damaged.etx")}, "right\n").exitCode, 1);
        // Windows-line-ended input is accepted for passwords too.
        QCOMPARE(RunCli({"decrypt", Path("t.etx")}, "right\r\n").exitCode, 0);
    }

    void newPasswordsAreChecked() {
        Write(Path("n.txt"), "text");
        CliResult r = RunCli({"encrypt", Path("n.txt"), Path("n.etx")}, "one\ntwo\n");
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("do not match"));
        QVERIFY(!QFile::exists(Path("n.etx")));
        r = RunCli({"encrypt", Path("n.txt"), Path("n.etx")}, "\n\n");
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("empty password"));
        const QByteArray tooLong = QByteArray(260, 'p') + "\n";
        QCOMPARE(RunCli({"encrypt", Path("n.txt"), Path("n.etx")}, tooLong + tooLong).exitCode, 1);
        const QByteArray longest = QByteArray(259, 'p') + "\n";
        QCOMPARE(RunCli({"encrypt", Path("n.txt"), Path("n.etx")}, longest + longest).exitCode, 0);
        // The input ends before the confirmation.
        QCOMPARE(RunCli({"encrypt", "--force", Path("n.txt"), Path("n.etx")}, "only-once\n").exitCode, 2);
    }

    // A password with a NUL byte (from a pipe) is never taken as a new one: the compatible format
    // would cut it there, so that "abc\0def" opened with "abc".
    void passwordsWithANulByteAreRefused() {
        const QByteArray nul("abc\0def\n", 8);
        Write(Path("z.txt"), "text");
        CliResult r = RunCli({"encrypt", Path("z.txt"), Path("z.etx")}, nul + nul);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("cannot contain a NUL character"), r.err.constData());
        QVERIFY(!QFile::exists(Path("z.etx")));
        QCOMPARE(RunCli({"encrypt", "--strong", Path("z.txt"), Path("z.etx")}, nul + nul).exitCode, 1);
        QVERIFY(!QFile::exists(Path("z.etx")));

        QCOMPARE(RunCli({"encrypt", Path("z.txt"), Path("z.etx")}, "abc\nabc\n").exitCode, 0);
        const QByteArray before = Read(Path("z.etx"));
        r = RunCli({"passwd", Path("z.etx")}, "abc\n" + nul + nul);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("NUL"));
        QCOMPARE(Read(Path("z.etx")), before);

        // Opening a compatible file: what comes after the NUL is not ignored.
        r = RunCli({"decrypt", Path("z.etx")}, nul);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains("NUL"), r.err.constData());
        QCOMPARE(RunCli({"decrypt", Path("z.etx")}, "abc\n").out, QByteArray("text"));
    }

    void existingOutputNeedsForce() {
        Write(Path("f.txt"), "new");
        Write(Path("f.etx"), "precious");
        CliResult r = RunCli({"encrypt", Path("f.txt"), Path("f.etx")}, "pw\npw\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains("--force"));
        QCOMPARE(Read(Path("f.etx")), QByteArray("precious"));
        QCOMPARE(RunCli({"encrypt", "--force", Path("f.txt"), Path("f.etx")}, "pw\npw\n").exitCode, 0);
        QCOMPARE(RunCli({"decrypt", Path("f.etx")}, "pw\n").out, QByteArray("new"));
    }

    // An output that another program writes while the password is asked for is never replaced:
    // without --force it did not exist, and with it, it is no longer the file that was there.
    void outputWrittenMeanwhileIsNotReplaced() {
        const auto theirs = [this] { Write(Path("race.etx"), "theirs"); };
        CliResult r = RunWhileInputWaits({"encrypt", Path("in.fifo"), Path("race.etx")}, Path("in.fifo"), theirs,
                                         "mine", "pw\npw\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains("already exists; use --force"), r.err.constData());
        QCOMPARE(Read(Path("race.etx")), QByteArray("theirs"));

        QFile::remove(Path("in.fifo"));
        const auto rewritten = [this] { Write(Path("race.etx"), "rewritten"); };
        r = RunWhileInputWaits({"encrypt", "--force", Path("in.fifo"), Path("race.etx")}, Path("in.fifo"), rewritten,
                               "mine", "pw\npw\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains("another program changed it meanwhile"), r.err.constData());
        QCOMPARE(Read(Path("race.etx")), QByteArray("rewritten"));
        const QStringList left = QDir(m_dir.path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(' ')));
    }

    void passwdChangesThePassword() {
        Write(Path("p.txt"), "keep me\r\n");
        QCOMPARE(RunCli({"encrypt", Path("p.txt"), Path("p.etx")}, "old\nold\n").exitCode, 0);
        QCOMPARE(RunCli({"passwd", Path("p.etx")}, "bad\nnew\nnew\n").exitCode, 1);
        const QByteArray before = Read(Path("p.etx"));
        QCOMPARE(RunCli({"passwd", Path("p.etx")}, "old\nnew\nnot new\n").exitCode, 1);
        QCOMPARE(Read(Path("p.etx")), before);
        QCOMPARE(RunCli({"passwd", Path("p.etx")}, "old\nnew\nnew\n").exitCode, 0);
        QCOMPARE(RunCli({"decrypt", Path("p.etx")}, "old\n").exitCode, 1);
        QCOMPARE(RunCli({"decrypt", Path("p.etx")}, "new\n").out, QByteArray("keep me\r\n"));
    }

    void inputsThatCannotBeEnciphered() {
        Write(Path("latin1.txt"), "caf\xE9");
        CliResult r = RunCli({"encrypt", Path("latin1.txt"), Path("x.etx")}, "pw\npw\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains("not UTF-8"));
        Write(Path("empty.txt"), "");
        QCOMPARE(RunCli({"encrypt", Path("empty.txt"), Path("empty.etx")}, "pw\npw\n").exitCode, 0);
        QCOMPARE(QFileInfo(Path("empty.etx")).size(), qint64(8));
        CliResult empty = RunCli({"decrypt", Path("empty.etx")}, "pw\n");
        QCOMPARE(empty.exitCode, 0);
        QVERIFY(empty.out.isEmpty());
        r = RunCli({"decrypt", Path("absent.etx")}, "pw\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains("absent.etx"));
        QVERIFY(r.err.contains("No such file"));
        QCOMPARE(RunCli({"encrypt", Path("absent.txt"), Path("x.etx")}, "pw\npw\n").exitCode, 3);
        QVERIFY(!QFile::exists(Path("x.etx")));
    }

    void usage() {
        QCOMPARE(RunCli({}).exitCode, 2);
        QCOMPARE(RunCli({"frobnicate"}).exitCode, 2);
        QCOMPARE(RunCli({"decrypt"}).exitCode, 2);
        // A usage error names the program and the command it is in.
        const CliResult missing = RunCli({"show", Path("t.kvd"), "web"});
        QCOMPARE(missing.exitCode, 2);
        QVERIFY2(missing.err.startsWith("lockwarden-cli: show: ") && missing.err.contains("SLOT"),
                 missing.err.constData());
        // There is no way to pass a password as an argument.
        QCOMPARE(RunCli({"decrypt", "--password", "x", Path("t.etx")}).exitCode, 2);
        CliResult r = RunCli({"--help"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("decrypt"));
        QVERIFY(r.out.contains("encrypt"));
        QVERIFY(r.out.contains("passwd"));
        r = RunCli({"--version"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("lockwarden-cli "));
    }
};

LW_REGISTER_TEST(FileCommandsTest);
#include "FileCommandsTest.moc"
