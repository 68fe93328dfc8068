#include "platform/zqfilelock.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <future>
#include <optional>
#include <thread>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

class FileLockTest : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    QString FFile = FDir.filePath(u"zqQuillet.ini"_s);
    QString FLockFile = FDir.filePath(u"zqQuillet.ini.lock"_s);
};

mode_t ModeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

TEST_F(FileLockTest, OneHolderAtATimeAndAStuckOneIsWaitedForOnlySoLong)
{
    EXPECT_EQ(TzqFileLock::LockFileName(FFile), FLockFile);
    std::optional<TzqFileLock> first(std::in_place, FFile, 0ms, 0ms);
    ASSERT_TRUE(first->IsHeld());

    // The holder leaves the file alone: the wait ends after `idle`, or `limit` when shorter.
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(TzqFileLock(FFile, 200ms, 5s).IsHeld());
    EXPECT_GE(timer.elapsed(), 200);
    EXPECT_LT(timer.elapsed(), 2000);
    timer.restart();
    EXPECT_FALSE(TzqFileLock(FFile, 5s, 200ms).IsHeld());
    EXPECT_GE(timer.elapsed(), 200);
    EXPECT_LT(timer.elapsed(), 2000);

    // Gone with its holder; the lock file stays for the next one.
    first.reset();
    EXPECT_TRUE(TzqFileLock(FFile, 0ms, 0ms).IsHeld());
    EXPECT_TRUE(QFileInfo(FLockFile).isFile());
}

TEST_F(FileLockTest, WaitsForAHolderThatKeepsChangingTheFile)
{
    // The holder rewrites the file every 50 ms for 600 ms, three times the waiter's idle time,
    // like an instance writing many keys one after the other.
    std::promise<bool> taken;
    std::jthread holder([&] {
        const TzqFileLock lock(FFile, 0ms, 0ms);
        taken.set_value(lock.IsHeld());
        for (int i = 0; i < 12; ++i) {
            testutil::WriteFile(FFile, QByteArray::number(i));
            std::this_thread::sleep_for(50ms);
        }
    });
    ASSERT_TRUE(taken.get_future().get());
    QElapsedTimer timer;
    timer.start();
    const bool held = TzqFileLock(FFile, 200ms, 5s).IsHeld();
    const qint64 waited = timer.elapsed();
    holder.join();
    EXPECT_TRUE(held);
    EXPECT_GE(waited, 450);
    EXPECT_LT(waited, 5000);

    // The holder goes on writing past `limit`.
    std::promise<bool> takenAgain;
    std::jthread busy([&] {
        const TzqFileLock lock(FFile, 0ms, 0ms);
        takenAgain.set_value(lock.IsHeld());
        for (int i = 0; i < 12; ++i) {
            testutil::WriteFile(FFile, QByteArray::number(i));
            std::this_thread::sleep_for(50ms);
        }
    });
    ASSERT_TRUE(takenAgain.get_future().get());
    timer.restart();
    EXPECT_FALSE(TzqFileLock(FFile, 200ms, 300ms).IsHeld());
    busy.join();
}

TEST_F(FileLockTest, NotHeldAtOnceWhereNoLockFileCanBe)
{
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(TzqFileLock(FDir.filePath(u"missing/zqQuillet.ini"_s), 5s, 5s).IsHeld());
    EXPECT_FALSE(QFileInfo::exists(FDir.filePath(u"missing"_s)));

    ASSERT_TRUE(QDir(FDir.path()).mkdir(u"zqQuillet.ini.lock"_s));
    EXPECT_FALSE(TzqFileLock(FFile, 5s, 5s).IsHeld());
    EXPECT_TRUE(QFileInfo(FLockFile).isDir());
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST_F(FileLockTest, LockFileIsAnOrdinaryEmptyFile)
{
    // Made like any other new file under the same umask: readable, never executable.
    {
        const TzqFileLock lock(FFile, 0ms, 0ms);
    }
    const QString other = FDir.filePath(u"other"_s);
    testutil::WriteFile(other, "x");
    EXPECT_EQ(ModeOf(FLockFile), ModeOf(other));
    EXPECT_EQ(ModeOf(FLockFile) & 0111, 0u);
    EXPECT_EQ(QFileInfo(FLockFile).size(), 0);

    // One another user left read-only still serves, and keeps its permissions.
    ASSERT_EQ(::chmod(QFile::encodeName(FLockFile).constData(), 0444), 0);
    EXPECT_TRUE(TzqFileLock(FFile, 0ms, 0ms).IsHeld());
    EXPECT_EQ(ModeOf(FLockFile) & 07777, 0444u);
}
