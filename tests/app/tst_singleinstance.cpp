#include "app/mappedhwnd.h"
#include "app/singleinstance.h"
#include "app/zqinstancelock.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// One run of the stand-in program, read line by line.
class TProbe {
public:
    TProbe(const QString& dir, bool dex, const QStringList& args = {})
    {
        FProcess.setProgram(QString::fromUtf8(INSTANCEPROBE_PATH));
        FProcess.setArguments(QStringList{dir, dex ? u"1"_s : u"0"_s} + args);
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start();
        FProcess.waitForStarted(5000);
    }
    ~TProbe()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.closeWriteChannel();
            if (!FProcess.waitForFinished(5000))
                Kill();
        }
    }

    // Waits until the probe has printed the line; false on timeout or when it ended without.
    bool WaitFor(const QString& line, int ms = 10000)
    {
        const QDeadlineTimer deadline(ms);
        while (!FLines.contains(line)) {
            if (deadline.hasExpired())
                return false;
            if (!FProcess.waitForReadyRead(int(deadline.remainingTime()))) {
                Take();
                return FLines.contains(line);
            }
            Take();
        }
        return true;
    }

    // The lines printed so far, including what is already waiting in the pipe.
    QStringList Lines()
    {
        while (FProcess.waitForReadyRead(50))
            Take();
        Take();
        return FLines;
    }

    // Waits for the end; the exit code, or -1 when it did not end normally in time.
    int Finish(int ms = 10000)
    {
        if (!FProcess.waitForFinished(ms))
            return -1;
        Take();
        return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -1;
    }

    int Quit()
    {
        FProcess.write("quit\n");
        return Finish();
    }

    void Kill()
    {
        FProcess.kill(); // SIGKILL: no destructor, no clean-up
        FProcess.waitForFinished(5000);
    }

private:
    void Take()
    {
        FBuffer += FProcess.readAllStandardOutput();
        qsizetype eol;
        while ((eol = FBuffer.indexOf('\n')) >= 0) {
            FLines.append(QString::fromUtf8(FBuffer.left(eol)));
            FBuffer.remove(0, eol + 1);
        }
    }

    QProcess FProcess;
    QByteArray FBuffer;
    QStringList FLines;
};

const QStringList Ended{u"not first"_s, u"woke the other"_s, u"ended"_s};
const QStringList EndedUnheard{u"not first"_s, u"woke nobody"_s, u"ended"_s};

} // namespace

TEST(StartDecision, FollowsTheDexAndArgumentTable)
{
    const QString prog = u"/opt/zq/zqQuillet"_s;
    const QStringList none{prog};
    const QStringList further{prog, u"zqzq"_s};

    EXPECT_TRUE(IsFurtherInstanceArgument(further));
    EXPECT_FALSE(IsFurtherInstanceArgument(none));
    EXPECT_FALSE(IsFurtherInstanceArgument({}));
    EXPECT_FALSE(IsFurtherInstanceArgument({prog, u"ZQZQ"_s}));
    EXPECT_FALSE(IsFurtherInstanceArgument({prog, u"Zqzq"_s}));
    EXPECT_FALSE(IsFurtherInstanceArgument({prog, u"zqzq"_s, u"x"_s}));
    EXPECT_FALSE(IsFurtherInstanceArgument({prog, u"x"_s, u"zqzq"_s}));
    EXPECT_FALSE(IsFurtherInstanceArgument({prog, u" zqzq"_s}));

    // The first instance always runs, whatever the setting and the arguments.
    EXPECT_EQ(DecideStart(true, false, none), TStartDecision::RunFirst);
    EXPECT_EQ(DecideStart(true, true, further), TStartDecision::RunFirst);

    EXPECT_EQ(DecideStart(false, false, none), TStartDecision::End);
    EXPECT_EQ(DecideStart(false, false, {prog, u"ZQZQ"_s}), TStartDecision::End);
    EXPECT_EQ(DecideStart(false, false, {prog, u"zqzq"_s, u"x"_s}), TStartDecision::End);
    EXPECT_EQ(DecideStart(false, false, further), TStartDecision::RunFurther);
    EXPECT_EQ(DecideStart(false, true, none), TStartDecision::RunFurther);
    EXPECT_EQ(DecideStart(false, true, further), TStartDecision::RunFurther);
}

TEST(MappedHwnd, KeepsTheLatestNameAndIgnoresJunk)
{
    QTemporaryDir dir;
    TMappedHwnd map(dir.path());
    EXPECT_EQ(map.Get(), QString());

    ASSERT_TRUE(map.Set(u"/run/user/1000/zqQuillet-1000-42"_s));
    EXPECT_EQ(TMappedHwnd(dir.path()).Get(), u"/run/user/1000/zqQuillet-1000-42"_s);
    ASSERT_TRUE(map.Set(u"/run/user/1000/zqQuillet-1000-7"_s));
    EXPECT_EQ(map.Get(), u"/run/user/1000/zqQuillet-1000-7"_s);
    EXPECT_EQ(testutil::ReadFile(map.FileName()), QByteArray("/run/user/1000/zqQuillet-1000-7"));
    // Replaced through a temporary file that is gone afterwards.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"zqQuilletMap"_s});

    // A name that could not have come from us is no name.
    EXPECT_FALSE(map.Set(u"a\nb"_s));
    EXPECT_EQ(map.Get(), u"/run/user/1000/zqQuillet-1000-7"_s);
    testutil::WriteFile(map.FileName(), "two\nlines");
    EXPECT_EQ(map.Get(), QString());
    testutil::WriteFile(map.FileName(), QByteArray(100000, 'x'));
    EXPECT_EQ(map.Get(), QString());

    // Without a record directory nothing is recorded.
    EXPECT_FALSE(TMappedHwnd(QString()).Set(u"x"_s));
    EXPECT_EQ(TMappedHwnd(QString()).Get(), QString());
    EXPECT_FALSE(TMappedHwnd(dir.filePath(u"missing"_s)).Set(u"x"_s));
}

TEST(InstanceLock, LastsWhileAnyInstanceHoldsIt)
{
    // Separate opens of the lock file conflict with one another within one process as they do
    // between processes.
    QTemporaryDir dir;
    auto a = std::make_unique<TzqInstanceLock>(dir.path());
    EXPECT_TRUE(a->Acquire());
    EXPECT_TRUE(a->Acquire()); // asking again does not change the answer
    EXPECT_TRUE(a->IsHeld());

    auto b = std::make_unique<TzqInstanceLock>(dir.path());
    EXPECT_FALSE(b->Acquire());
    EXPECT_TRUE(b->IsHeld());

    // The first instance ends while a further one runs: the next start is still not first.
    a.reset();
    auto c = std::make_unique<TzqInstanceLock>(dir.path());
    EXPECT_FALSE(c->Acquire());

    b.reset();
    c.reset();
    EXPECT_TRUE(TzqInstanceLock(dir.path()).Acquire());

    // No lock to be had: the process counts as the first instance.
    TzqInstanceLock nowhere(dir.filePath(u"missing"_s));
    EXPECT_TRUE(nowhere.Acquire());
    EXPECT_FALSE(nowhere.IsHeld());
    EXPECT_TRUE(TzqInstanceLock(QString()).Acquire());
}

TEST(SignalRunningInstance, GivesUpOnStaleRecordsAndSilentServers)
{
    QTemporaryDir dir;
    EXPECT_FALSE(SignalRunningInstance(dir.path()));

    // A record naming a socket that is gone.
    TMappedHwnd map(dir.path());
    map.Set(dir.filePath(u"zqQuillet-0-1"_s));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(SignalRunningInstance(dir.path()));

    // A socket file left by a killed process: bound, nobody listening.
    const QString dead = dir.filePath(u"zqQuillet-0-2"_s);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray deadName = QFile::encodeName(dead);
    std::memcpy(addr.sun_path, deadName.constData(), size_t(deadName.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    map.Set(dead);
    EXPECT_FALSE(SignalRunningInstance(dir.path()));
    EXPECT_LT(clock.elapsed(), 2000);

    // A server that takes the connection but never answers: the wait ends at the timeout.
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(dir.filePath(u"mute"_s)));
    map.Set(mute.fullServerName());
    clock.restart();
    EXPECT_FALSE(SignalRunningInstance(dir.path(), 300));
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST(SingleInstance, SecondStartWakesTheFirstAndEnds)
{
    QTemporaryDir dir;
    TProbe a(dir.path(), false);
    ASSERT_TRUE(a.WaitFor(u"running"_s));
    EXPECT_EQ(a.Lines(), (QStringList{u"first"_s, u"running"_s}));

    // A caller that connects and says nothing must not hold up the others.
    QLocalSocket idle;
    idle.connectToServer(TMappedHwnd(dir.path()).Get());
    ASSERT_TRUE(idle.waitForConnected(3000));

    TProbe b(dir.path(), false);
    EXPECT_EQ(b.Finish(), 0);
    EXPECT_EQ(b.Lines(), Ended);
    // The second start waited for the answer, and the answer follows the wake-up.
    EXPECT_EQ(a.Lines().count(u"woken"_s), 1);

    // Wrong case, or a second argument: no further instance.
    TProbe c(dir.path(), false, {u"ZQZQ"_s});
    EXPECT_EQ(c.Finish(), 0);
    EXPECT_EQ(c.Lines(), Ended);
    TProbe d(dir.path(), false, {u"zqzq"_s, u"x"_s});
    EXPECT_EQ(d.Finish(), 0);
    EXPECT_EQ(d.Lines(), Ended);
    EXPECT_EQ(a.Lines().count(u"woken"_s), 3);

    EXPECT_EQ(a.Quit(), 0);
    EXPECT_FALSE(a.Lines().contains(u"further instance"_s));
}

TEST(SingleInstance, FurtherInstancesRunBesideTheFirst)
{
    QTemporaryDir dir;
    TProbe a(dir.path(), false);
    ASSERT_TRUE(a.WaitFor(u"running"_s));

    TProbe b(dir.path(), false, {u"zqzq"_s});
    ASSERT_TRUE(b.WaitFor(u"running"_s));
    EXPECT_EQ(b.Lines(), (QStringList{u"not first"_s, u"woke the other"_s, u"further instance"_s,
                                      u"offset window"_s, u"running"_s}));
    EXPECT_EQ(a.Lines().count(u"woken"_s), 1);

    // DEX on: a further instance, without the window offset; it wakes the one started last.
    TProbe c(dir.path(), true);
    ASSERT_TRUE(c.WaitFor(u"running"_s));
    EXPECT_EQ(c.Lines(), (QStringList{u"not first"_s, u"woke the other"_s, u"further instance"_s,
                                      u"running"_s}));
    EXPECT_EQ(b.Lines().count(u"woken"_s), 1);

    // From now on the record names c.
    TProbe d(dir.path(), false);
    EXPECT_EQ(d.Finish(), 0);
    EXPECT_EQ(d.Lines(), Ended);
    EXPECT_EQ(c.Lines().count(u"woken"_s), 1);

    // The first instance ends while further ones run: a new start is still not the first.
    EXPECT_EQ(a.Quit(), 0);
    TProbe e(dir.path(), false);
    EXPECT_EQ(e.Finish(), 0);
    EXPECT_EQ(e.Lines(), Ended);
    EXPECT_EQ(c.Lines().count(u"woken"_s), 2);
    EXPECT_EQ(a.Lines().count(u"woken"_s), 1);
    EXPECT_EQ(b.Lines().count(u"woken"_s), 1);
}

TEST(SingleInstance, StaleRecordWakesNobody)
{
    QTemporaryDir dir;
    TProbe a(dir.path(), false);
    ASSERT_TRUE(a.WaitFor(u"running"_s));

    // b closes normally: its socket is removed, the record still names it.
    {
        TProbe b(dir.path(), false, {u"zqzq"_s});
        ASSERT_TRUE(b.WaitFor(u"running"_s));
        EXPECT_EQ(b.Quit(), 0);
    }
    TProbe c(dir.path(), false);
    EXPECT_EQ(c.Finish(), 0);
    EXPECT_EQ(c.Lines(), EndedUnheard);

    // e is killed: its socket file stays behind with nobody listening.
    {
        TProbe e(dir.path(), true);
        ASSERT_TRUE(e.WaitFor(u"running"_s));
        EXPECT_TRUE(e.Lines().contains(u"woke nobody"_s)); // the record still named b
        e.Kill();
    }
    TProbe f(dir.path(), false);
    EXPECT_EQ(f.Finish(), 0);
    EXPECT_EQ(f.Lines(), EndedUnheard);

    // Only b ever reached a.
    EXPECT_EQ(a.Lines().count(u"woken"_s), 1);
    EXPECT_EQ(a.Quit(), 0);
}

TEST(SingleInstance, KilledFirstInstanceLeavesTheLockFree)
{
    QTemporaryDir dir;
    {
        TProbe a(dir.path(), false);
        ASSERT_TRUE(a.WaitFor(u"running"_s));
        a.Kill();
    }
    TProbe b(dir.path(), false);
    ASSERT_TRUE(b.WaitFor(u"running"_s));
    EXPECT_EQ(b.Lines(), (QStringList{u"first"_s, u"running"_s}));

    // The new first instance can be woken in turn.
    TProbe c(dir.path(), false);
    EXPECT_EQ(c.Finish(), 0);
    EXPECT_EQ(c.Lines(), Ended);
    EXPECT_EQ(b.Lines().count(u"woken"_s), 1);
    EXPECT_EQ(b.Quit(), 0);
}

TEST(SingleInstance, SimultaneousStartsHaveOneFirst)
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<TProbe>> probes;
    for (int i = 0; i < 6; ++i)
        probes.push_back(std::make_unique<TProbe>(dir.path(), true));
    int firsts = 0;
    for (auto& probe : probes) {
        ASSERT_TRUE(probe->WaitFor(u"running"_s));
        firsts += probe->Lines().count(u"first"_s);
    }
    EXPECT_EQ(firsts, 1);
}

TEST(SingleInstance, RecordDirectoryIsPrivate)
{
    const QString dir = InstanceRecordDir();
    ASSERT_FALSE(dir.isEmpty());
    const QFileInfo info(dir);
    EXPECT_TRUE(info.isDir());
    EXPECT_FALSE(info.isSymLink());
    EXPECT_EQ(info.ownerId(), ::getuid());
    EXPECT_EQ(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                    QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
}
