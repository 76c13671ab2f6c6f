#include "platform/DataFolder.h"
#include "common/TestRegistry.h"

#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

using namespace platform;

namespace {

// Sets an environment variable for one scope and puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old, m_hadOld = true;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_hadOld)
            ::setenv(m_name, m_old.c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_hadOld = false;
};

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

} // namespace

class DataFolderTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void recoveryFolderFollowsXdgState() {
        const std::string home = m_dir.path().toStdString();
        const ScopedEnv setHome("HOME", home.c_str());
        {
            const ScopedEnv state("XDG_STATE_HOME", nullptr);
            QCOMPARE(GetRecoveryFolder(), home + "/.local/state/Lockwarden/recovery");
        }
        {
            // The XDG rules: a relative value is invalid and ignored.
            const ScopedEnv state("XDG_STATE_HOME", "relative/state");
            QCOMPARE(GetRecoveryFolder(), home + "/.local/state/Lockwarden/recovery");
        }
        {
            const ScopedEnv state("XDG_STATE_HOME", "/var/tmp/someone/state//");
            QCOMPARE(GetRecoveryFolder(), std::string("/var/tmp/someone/state/Lockwarden/recovery"));
            // The data folder does not follow the state variable.
            const ScopedEnv config("XDG_CONFIG_HOME", nullptr);
            QCOMPARE(GetDataFolder(), home + "/.config/Lockwarden");
        }
    }

    // Every level made is private, also the last one below parents that already exist, whatever
    // the umask lets through.
    void ensureFolderMakesPrivateFolders() {
        const mode_t oldMask = ::umask(0);
        const std::string base = m_dir.path().toStdString() + "/ensure";
        QCOMPARE(::mkdir(base.c_str(), 0755), 0);
        const std::string folder = base + "/state/Lockwarden/recovery";
        QVERIFY(EnsureFolder(folder));
        QCOMPARE(ModeOf(base + "/state"), mode_t(0700));
        QCOMPARE(ModeOf(base + "/state/Lockwarden"), mode_t(0700));
        QCOMPARE(ModeOf(folder), mode_t(0700));
        QCOMPARE(ModeOf(base), mode_t(0755)); // what was there is left alone

        QCOMPARE(::rmdir(folder.c_str()), 0);
        QVERIFY(EnsureFolder(folder + "/"));
        QCOMPARE(ModeOf(folder), mode_t(0700));
        QVERIFY(EnsureFolder(folder)); // present already
        ::umask(oldMask);

        // A file where a folder should be is no folder.
        const std::string file = base + "/file";
        std::FILE* f = std::fopen(file.c_str(), "w");
        QVERIFY(f);
        std::fclose(f);
        QVERIFY(!EnsureFolder(file));
        QVERIFY(!EnsureFolder(file + "/below"));
        QVERIFY(!EnsureFolder(""));
    }
};

LW_REGISTER_TEST(DataFolderTest);
#include "DataFolderTest.moc"
