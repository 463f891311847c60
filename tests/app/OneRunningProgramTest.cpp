// One running program: later starts of the real executable hand their
// requests, made full paths, to this test program, which plays the running
// program; what a start cannot hand over, or sends wrongly, changes nothing.
// Listeners and later starts of the tests' own show how requests are
// answered, and what stalled, flooding or hung peers do.
#include "MainWindowDriver.h"

#include "app/App.h"
#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/DisplayKey.h"
#include "framework/HandOverMessage.h"
#include "framework/RequestListener.h"
#include "framework/SingleInstance.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMutex>
#include <QMainWindow>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A start of the real program from its own working folder, with arguments
// passed byte for byte; ended as a crash would end it if it still runs when
// the object goes.
class Start {
public:
    Start(const std::vector<std::string>& arguments, const std::string& folder)
    {
        std::vector<std::string> strings{KESTRUNE_EXECUTABLE};
        strings.insert(strings.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& s : strings)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            if (::chdir(folder.c_str()) == 0)
                ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Start()
    {
        if (Running())
            Crash();
    }
    bool Running()
    {
        int status = 0;
        if (m_status < 0 && ::waitpid(m_pid, &status, WNOHANG) == m_pid)
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return m_status < 0;
    }
    // Its exit status once it ended within the time, with this program's
    // event loop going meanwhile; -1 while it still runs.
    int Wait(int timeoutMs)
    {
        (void)QTest::qWaitFor([this] { return !Running(); }, timeoutMs);
        return m_status;
    }
    // Leaves its lock and socket behind.
    void Crash()
    {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_status = 128 + SIGKILL;
    }

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

// Writes down the application events that the framework raises.
class RecordingApp : public Application {
public:
    void Event_NewDocument() override { events.push_back("new"); }
    void Event_OpenDocument(std::shared_ptr<FolderItem> item) override
    {
        events.push_back("open " + item->NativePathBytes());
    }
    std::vector<std::string> events;
};

void ExpectEvents(RecordingApp& app, const std::vector<std::string>& expected)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return app.events.size() >= expected.size(); }, 2000));
    EXPECT_EQ(app.events, expected);
    app.events.clear();
}

std::string Resolved(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    std::string result = resolved ? resolved : "";
    std::free(resolved);
    return result;
}

// The log lines written while it lives, from any thread.
class LogLines {
public:
    LogLines() : m_previous(qInstallMessageHandler(&LogLines::Take)) { Lines().clear(); }
    ~LogLines() { qInstallMessageHandler(m_previous); }
    // The lines that contain the text.
    int Count(const QString& text) const
    {
        const QMutexLocker lock(&Mutex());
        return static_cast<int>(Lines().filter(text).size());
    }

private:
    static QStringList& Lines()
    {
        static QStringList lines;
        return lines;
    }
    static QMutex& Mutex()
    {
        static QMutex mutex;
        return mutex;
    }
    static void Take(QtMsgType, const QMessageLogContext&, const QString& text)
    {
        const QMutexLocker lock(&Mutex());
        Lines().push_back(text);
    }

    QtMessageHandler m_previous;
};

// While it lives, an environment variable has this value, or none.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value)
        : m_name(name), m_saved(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name))
    {
        value ? qputenv(name, value->c_str()) : qunsetenv(name);
    }
    ~ScopedVariable() { m_wasSet ? qputenv(m_name, m_saved) : qunsetenv(m_name); }

private:
    const char* m_name;
    QByteArray m_saved;
    bool m_wasSet;
};

// This test program as the running program: the framework's start-up with
// the program's own name, then its requests of later starts delivered.
class OneRunningProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUnhandledExceptionPresenter([this](const std::string& className, const std::string& message) {
            unhandled.push_back(className + ": " + message);
        });
        work = folder.Path("work");
        ASSERT_EQ(::mkdir(work.c_str(), 0700), 0);
        folder.MakeFile("work/one.txt", "one");
    }
    void TearDown() override
    {
        _RuntimePerformFinalizers();
        SetUnhandledExceptionPresenter(nullptr);
        EXPECT_EQ(unhandled, std::vector<std::string>{});
    }

    // With the application object registered.
    void BecomeTheRunningProgram(std::function<void()> lateStartup = nullptr)
    {
        char name[] = "app_tests";
        char* argv[] = {name, nullptr};
        int argc = 1;
        ASSERT_TRUE(_RuntimeInit(argc, argv, Program()));
        _RunFrameworkInitialization(std::move(lateStartup));
    }
    std::shared_ptr<RecordingApp> Record()
    {
        auto app = std::make_shared<RecordingApp>();
        _RuntimeRegisterAppObject(app);
        BecomeTheRunningProgram();
        ExpectEvents(*app, {"new"}); // this start's own, with no documents
        return app;
    }
    // A later start that hands its requests over and ends at once.
    void HandOver(const std::vector<std::string>& arguments, const std::string& from)
    {
        QElapsedTimer clock;
        clock.start();
        Start start(arguments, from);
        EXPECT_EQ(start.Wait(5000), 0);
        EXPECT_LT(clock.elapsed(), 2000) << "a hand-over ends at once";
    }

    TempFolder folder;
    std::string work;
    std::vector<std::string> unhandled;
};

// The real program's socket here, as a later start of it finds it.
struct ProgramSocket : SingleInstance {
    ProgramSocket() : SingleInstance(Program().name, DisplayKey::Of(QGuiApplication::platformName().toStdString(), {}), nullptr) {}
};

QString SocketPath()
{
    return ProgramSocket().SocketPath();
}

TEST_F(OneRunningProgram, ALaterStartHandsItsArgumentsOverAsFullPathsInOrder)
{
    ASSERT_EQ(::mkdir(folder.Path("work/sub").c_str(), 0700), 0);
    folder.MakeFile("work/caf\xE9.txt");
    ASSERT_EQ(::symlink("one.txt", folder.Path("work/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink("sub", folder.Path("work/linked").c_str()), 0);
    const std::string w = Resolved(work);
    const std::string parent = Resolved(folder.Path());
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> events;
    } rows[] = {
        {{}, {"new"}},
        {{"one.txt"}, {"open " + w + "/one.txt"}},
        {{"one.txt", "caf\xE9.txt", "sub/../one.txt", "/", w + "/sub/./one.txt"},
         {"open " + w + "/one.txt", "open " + w + "/caf\xE9.txt", "open " + w + "/one.txt", "open /",
          "open " + w + "/sub/one.txt"}},
        {{".", "..", "sub/", "linked/"}, {"open " + w, "open " + parent, "open " + w + "/sub", "open " + w + "/sub"}},
        // A link keeps its own name; the missing item and the empty argument
        // go as they are, and are ignored later as what they are.
        {{"link.txt", "linked", "missing/none.txt", ""},
         {"open " + w + "/link.txt", "open " + w + "/linked", "open " + w + "/missing/none.txt", "open "}},
    };
    auto app = Record();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.events.front());
        HandOver(row.arguments, work);
        ExpectEvents(*app, row.events);
    }
}

TEST_F(OneRunningProgram, TheRunningProgramLoadsAHandedOverItemIntoItsWindowAndBringsItToTheFront)
{
    _InitFileTypes();
    _NewAppInstance();
    BecomeTheRunningProgram(_LateStartup);
    auto window = std::dynamic_pointer_cast<MainWindow>(_GetImplicitWindow("MainWindow.MainWindow"));
    ASSERT_NE(window, nullptr);
    QMainWindow* native = window->Handle();
    native->showMinimized();

    HandOver({"one.txt"}, work);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->last != nullptr; }, 2000));
    EXPECT_EQ(window->last->NativePathBytes(), Resolved(work) + "/one.txt");
    EXPECT_EQ(driver::DetailRows(*window)[1], std::make_pair(std::string("Path:"), Resolved(work) + "/one.txt"));
    EXPECT_EQ(OpenWindows().size(), 1u);
    EXPECT_FALSE(native->windowState() & Qt::WindowMinimized);
}

TEST_F(OneRunningProgram, AProgramThatCrashedLeavesNothingThatStopsTheNextStart)
{
    {
        Start crashed({}, work);
        const QString socket = SocketPath();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket) && QFile::exists(socket + ".lock"); }, 5000));
        crashed.Crash();
    }
    QElapsedTimer clock;
    clock.start();
    auto app = Record();
    EXPECT_LT(clock.elapsed(), 1000) << "a dead program's lock needs no waiting";
    HandOver({"one.txt"}, work);
    ExpectEvents(*app, {"open " + Resolved(work) + "/one.txt"});
}

TEST_F(OneRunningProgram, WhateverTheRuntimeFolderALaterStartHandsOverToTheRunningProgram)
{
    const std::string tmp = folder.Path("tmp");
    const std::string own = tmp + "/kestrune-" + std::to_string(::getuid());
    const std::string runtime = folder.Path(std::string(100, 'r'));
    const std::string open = folder.Path("open");
    ASSERT_EQ(::mkdir(tmp.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    // Where the user's runtime folder would be by Qt's rule, another user's
    // (where this test may make one).
    const std::string qtDefault = tmp + "/runtime-" + ::getpwuid(::getuid())->pw_name;
    ASSERT_EQ(::mkdir(qtDefault.c_str(), 0700), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(qtDefault.c_str(), 65534, 65534), 0);
    }
    const struct {
        const char* what;
        std::optional<std::string> runtime;
        QString logged; // the line that says where the socket is
    } rows[] = {
        {"too long a path for a socket address", runtime, "socket is reached as /proc/self/fd/"},
        {"not set", std::nullopt,
         QString::fromStdString("XDG_RUNTIME_DIR is not set; the running program's socket is " + own + "/")},
        {"open to others", open, QString::fromStdString("XDG_RUNTIME_DIR is unfit; the running program's socket is " + own + "/")},
    };
    const ScopedVariable temporary("TMPDIR", tmp);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ScopedVariable runtimeFolder("XDG_RUNTIME_DIR", row.runtime);
        const LogLines log;
        auto app = Record();
        EXPECT_EQ(log.Count(row.logged), 1);
        HandOver({"one.txt"}, work);
        ExpectEvents(*app, {"open " + Resolved(work) + "/one.txt"});
        _RuntimePerformFinalizers();
    }
}

QByteArray Number(quint32 value)
{
    const quint32 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), 4);
}

QByteArray Message(const QByteArray& rest)
{
    return "ODR1" + Number(static_cast<quint32>(rest.size())) + rest;
}

// A connection to a listening socket, as any process of the user can make
// one; it never blocks.
class Client {
public:
    explicit Client(const SingleInstance& instance)
        : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0))
    {
        const sockaddr_un address = instance.SocketAddress().value();
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
    }
    ~Client() { ::close(m_fd); }
    // Sends what the socket takes now; call again for more of the same bytes.
    void Send(const QByteArray& bytes)
    {
        ssize_t n = 1;
        while (m_sent < bytes.size() && n > 0) {
            n = ::send(m_fd, bytes.constData() + m_sent, std::size_t(bytes.size() - m_sent), MSG_NOSIGNAL);
            m_sent += std::max<ssize_t>(n, 0);
        }
    }
    // The answer that came back; 0 once closed without one; -1 while
    // nothing came.
    int Reply() const
    {
        char byte = 0;
        const ssize_t n = ::recv(m_fd, &byte, 1, MSG_DONTWAIT);
        if (n == 1)
            return byte;
        return n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) ? 0 : -1;
    }

private:
    int m_fd;
    qsizetype m_sent = 0;
};

using Batches = std::vector<std::vector<std::string>>;

constexpr char kTestProgram[] = "listener";
constexpr char kTestDisplay[] = "test";

// A running program of the tests' own: it takes requests and serves them
// when told to.
struct Listener {
    explicit Listener(int stallMs = RequestListener::kStallTimeoutMs)
    {
        instance.SetTimeouts(stallMs, SingleInstance::kAnswerTimeoutMs);
        EXPECT_EQ(instance.Start({}), SingleInstance::Outcome::First);
    }
    // As the program does: answers, and serves only what was still awaited.
    void Serve()
    {
        for (auto& [paths, answer] : waiting) {
            if (answer.Give())
                served.push_back(paths);
        }
        waiting.clear();
    }
    std::vector<std::pair<std::vector<std::string>, SingleInstance::Answer>> waiting;
    Batches served;
    SingleInstance instance{kTestProgram, kTestDisplay,
                            [this](std::vector<std::string> paths, SingleInstance::Answer answer) {
                                waiting.emplace_back(std::move(paths), std::move(answer));
                            }};
};

// A later start in a thread of its own, while this one plays the running
// program.
class LaterStart {
public:
    explicit LaterStart(const std::vector<std::string>& paths)
        : m_thread(QThread::create([this, paths] {
              SingleInstance later(kTestProgram, kTestDisplay, nullptr);
              outcome = later.Start(paths);
          }))
    {
        m_thread->start();
    }
    ~LaterStart() { m_thread->wait(); }
    bool Done() const { return m_thread->isFinished(); }
    std::optional<SingleInstance::Outcome> outcome;

private:
    std::unique_ptr<QThread> m_thread;
};

TEST(OneRunningProgramFolder, AFolderOfItsOwnThatIsALinkOrOpenToOthersIsNotUsedAndTheProgramRunsOnItsOwn)
{
    TempFolder folder;
    const std::string own = folder.Path(std::string(kTestProgram) + '-' + std::to_string(::getuid()));
    const std::string elsewhere = folder.Path("elsewhere");
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
    const struct {
        const char* what;
        std::function<bool()> make;
        QString logged;
    } rows[] = {
        {"a link to a folder of the user's", [&] { return ::symlink(elsewhere.c_str(), own.c_str()) == 0; }, "it is a link"},
        {"open to others", [&] { return ::mkdir(own.c_str(), 0700) == 0 && ::chmod(own.c_str(), 0755) == 0; },
         "its mode 0755 lets others in"},
        {"another user's",
         [&] { return ::geteuid() == 0 && ::mkdir(own.c_str(), 0700) == 0 && ::chown(own.c_str(), 65534, 65534) == 0; },
         "it belongs to user 65534"},
    };
    const ScopedVariable temporary("TMPDIR", folder.Path());
    const ScopedVariable runtimeFolder("XDG_RUNTIME_DIR", std::nullopt);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (!row.make()) {
            ASSERT_NE(::geteuid(), 0u) << "only making another user's folder may fail, without root";
            continue;
        }
        const LogLines log;
        SingleInstance instance(kTestProgram, kTestDisplay, nullptr);
        EXPECT_EQ(instance.SocketPath(), QString());
        EXPECT_EQ(instance.Start({}), SingleInstance::Outcome::Alone);
        EXPECT_EQ(log.Count(row.logged + "); running on its own."), 1);
        ::unlink(own.c_str());
        ::rmdir(own.c_str());
    }
}

TEST(OneRunningProgramAnswer, ALaterStartEndsOnlyOnceTheRunningProgramServesItsRequests)
{
    using Outcome = SingleInstance::Outcome;
    const struct {
        const char* what;
        // What the running program does while the later start waits; none:
        // it hangs.
        std::function<void(Listener&)> meanwhile;
        Outcome outcome;
        bool served;
    } rows[] = {
        {"it serves them", [](Listener& listener) { listener.Serve(); }, Outcome::HandedOver, true},
        {"it hangs", nullptr, Outcome::Alone, false},
        // The later start then takes the lock that the program let go.
        {"it starts to quit first",
         [](Listener& listener) {
             if (!listener.waiting.empty())
                 listener.instance.StopListening();
         },
         Outcome::First, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Listener listener;
        std::optional<Outcome> outcome;
        if (row.meanwhile) {
            LaterStart later({"/one"});
            ASSERT_TRUE(QTest::qWaitFor([&] { return row.meanwhile(listener), later.Done(); }, 5000));
            outcome = later.outcome;
        } else {
            // It waits in this thread, where the listener gets no turn.
            SingleInstance later(kTestProgram, kTestDisplay, nullptr);
            later.SetTimeouts(RequestListener::kStallTimeoutMs, 300);
            outcome = later.Start({"/one"});
        }
        EXPECT_EQ(outcome, row.outcome);
        // The request reached the program in every case; served once at most.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !listener.waiting.empty() || !listener.served.empty(); }, 2000));
        listener.Serve();
        EXPECT_EQ(listener.served, row.served ? Batches{{"/one"}} : Batches{});
    }
}

TEST(OneRunningProgramAnswer, AMessageThatBreaksTheRulesIsClosedAtOnceAndNothingOfItIsServed)
{
    const struct {
        const char* why;
        QByteArray bytes;
    } rows[] = {
        {"not a request", "GET / HTTP/1.0\r\n\r\n"},
        {"too large", "ODR1" + Number(HandOverMessage::kMaxBytes + 1)},
        {"too many paths", Message(Number(HandOverMessage::kMaxPaths + 1))},
        {"a path past the end", Message(Number(1) + Number(40) + "/one")},
        {"a relative path", Message(Number(1) + Number(3) + "one")},
        {"a NUL byte in a path", Message(Number(1) + Number(4) + QByteArray("/o\0e", 4))},
        {"bytes after the last path", Message(Number(1) + Number(4) + "/one" + "junk")},
        {"bytes after the message", HandOverMessage::Encode({"/one"}) + "x"},
    };
    const LogLines log;
    constexpr int kStallMs = 1000;
    Listener listener(kStallMs);
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<Client>> clients;
    for (const auto& row : rows) {
        clients.push_back(std::make_unique<Client>(listener.instance));
        clients.back()->Send(row.bytes);
    }
    Client halfway(listener.instance);
    halfway.Send(HandOverMessage::Encode({"/one"}).left(10));
    for (std::size_t i = 0; i < clients.size(); ++i) {
        SCOPED_TRACE(rows[i].why);
        EXPECT_TRUE(QTest::qWaitFor([&] { return clients[i]->Reply() == 0; }, kStallMs / 2))
            << "closed at once, without an answer";
    }
    EXPECT_EQ(halfway.Reply(), -1) << "a sender has its time to send the rest";
    EXPECT_TRUE(QTest::qWaitFor([&] { return halfway.Reply() == 0; }, 2 * kStallMs));
    EXPECT_GE(clock.elapsed(), kStallMs * 9 / 10) << "by the stall timer, which may fire a little early";

    // Nothing of them arrived, and a whole message still does.
    Client valid(listener.instance);
    valid.Send(HandOverMessage::Encode({"/one"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return listener.Serve(), valid.Reply() == HandOverMessage::kAnswer; }, 2000));
    EXPECT_EQ(listener.served, Batches{{"/one"}});
    EXPECT_EQ(log.Count("Refused"), 1) << "refusals are logged once, then at most once a minute";
}

// The descriptors this process has open.
int OpenDescriptors()
{
    const QDir::Filters all = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(all).size());
}

// The memory this process holds, in bytes.
long ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

TEST(OneRunningProgramLimits, StalledSendersHoldLittleAndKeepALaterStartOutOnlyBriefly)
{
    Listener listener;
    // Each sends all but the last byte of a message of the largest size.
    const QByteArray stalled =
        Message(QByteArray(HandOverMessage::kMaxBytes, 'x')).chopped(1);
    std::vector<std::unique_ptr<Client>> senders;
    for (int i = 0; i < 64; ++i)
        senders.push_back(std::make_unique<Client>(listener.instance));
    const int descriptorsBefore = OpenDescriptors();
    [[maybe_unused]] const long residentBefore = ResidentBytes();
    std::size_t most = 0;
    int mostDescriptors = 0;
    const auto meanwhile = [&] {
        for (auto& sender : senders)
            sender->Send(stalled);
        listener.Serve();
        most = std::max(most, listener.instance.BufferedBytes());
        mostDescriptors = std::max(mostDescriptors, OpenDescriptors());
    };
    (void)QTest::qWaitFor([&] { return meanwhile(), false; }, 300);
    EXPECT_LE(mostDescriptors - descriptorsBefore, RequestListener::kMaxConnections) << "connections taken at once";
    LaterStart later({"/one"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return meanwhile(), later.Done(); }, 5000));
    EXPECT_EQ(later.outcome, SingleInstance::Outcome::HandedOver);
    EXPECT_EQ(listener.served, Batches{{"/one"}});
    EXPECT_GT(most, HandOverMessage::kMaxBytes) << "they were read";
    EXPECT_LE(most, RequestListener::kMaxBufferedBytes);
    senders.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return listener.instance.BufferedBytes() == 0; }, 2000));
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) // the sanitizers keep freed memory a while
    EXPECT_LT(ResidentBytes() - residentBefore, long(RequestListener::kMaxBufferedBytes / 2))
        << "the buffers' memory goes back to the system once their connections closed";
#endif
}

TEST(OneRunningProgramLimits, WithoutAFreeDescriptorTheProgramWaitsInsteadOfSpinning)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers open descriptors of their own to check a call, and report a fault without one";
#endif
    Listener listener;
    Client client(listener.instance);
    client.Send(HandOverMessage::Encode({"/one"}));
    // Every descriptor below the limit is in use.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const auto cpuMs = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const timeval& user = usage.ru_utime;
        const timeval& system = usage.ru_stime;
        return (user.tv_sec + system.tv_sec) * 1000 + (user.tv_usec + system.tv_usec) / 1000;
    };
    const auto before = cpuMs();
    QTest::qWait(300);
    const auto used = cpuMs() - before;
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_LT(used, 100) << "ms of processor time in 300 ms";
    EXPECT_EQ(client.Reply(), -1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return listener.Serve(), client.Reply() == HandOverMessage::kAnswer; }, 2000))
        << "once a descriptor is free, the waiting request is taken";
}

TEST(OneRunningProgramKey, TheDisplayThatTheProgramShowsItsWindowsOnNamesItsSocket)
{
    struct Side {
        const char* platform;
        const char* display;
        const char* wayland = nullptr;
        std::vector<std::string> arguments = {};
    };
    const struct {
        Side a, b;
        bool same;
    } rows[] = {
        {{"xcb", ":1"}, {"xcb", ":1.0"}, true},
        {{"xcb", ":1"}, {"xcb", "unix:1.1"}, true},
        {{"xcb", ":0"}, {"xcb", ":00"}, true},
        {{"xcb", ":1"}, {"xcb", ":2"}, false},
        {{"xcb", ":1"}, {"xcb", "otherhost:1"}, false},
        {{"xcb", ":1", "wayland-0"}, {"xcb", ":2", "wayland-0"}, false},
        {{"xcb", ":2", nullptr, {"kestrune", "-display", ":1", "file"}}, {"xcb", ":1"}, true},
        {{"xcb", ":2", nullptr, {"kestrune", "--display", ":1"}}, {"xcb", ":2"}, false},
        {{"wayland", ":1", "wayland-0"}, {"wayland", ":2", "wayland-0"}, true},
        {{"wayland", ":1", "wayland-0"}, {"wayland", ":1", "wayland-1"}, false},
        {{"wayland", ":1", "wayland-0"}, {"xcb", ":1", "wayland-0"}, false},
        {{"offscreen", ":1"}, {"offscreen", ":2"}, true},
    };
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const auto socket = [](const Side& side) {
        qputenv("DISPLAY", side.display);
        side.wayland ? qputenv("WAYLAND_DISPLAY", side.wayland) : qunsetenv("WAYLAND_DISPLAY");
        const std::string key = DisplayKey::Of(side.platform, side.arguments);
        return SingleInstance("kestrune", key, nullptr).SocketPath();
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.a.platform) + " " + row.a.display + " / " + row.b.platform + " " + row.b.display);
        EXPECT_EQ(socket(row.a) == socket(row.b), row.same);
    }
    display.isNull() ? qunsetenv("DISPLAY") : qputenv("DISPLAY", display);
    wayland.isNull() ? qunsetenv("WAYLAND_DISPLAY") : qputenv("WAYLAND_DISPLAY", wayland);
}

// Acts once, the moment that a request is about to be served: handed-over
// requests reach the application as calls queued on it.
class AsItIsServed : public QObject {
public:
    explicit AsItIsServed(std::function<void()> act) : m_act(std::move(act))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_act && event->type() == QEvent::MetaCall && watched == QCoreApplication::instance())
            std::exchange(m_act, nullptr)();
        return false;
    }

private:
    std::function<void()> m_act;
};

TEST_F(OneRunningProgram, ARequestThatMeetsTheProgramQuittingOrClosingIsNotAnsweredAndItsStartRunsAsTheFirst)
{
    QWidget lastWindow;
    const struct {
        const char* how;
        std::function<void()> act;
    } rows[] = {
        {"File > Quit", [] { _RuntimeQuit(); }},
        {"a quit request",
         [] {
             QEvent quit(QEvent::Quit);
             QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
         }},
        // The user closed the window while the program was busy; the window
        // system's close comes through only as the request is served.
        {"a close of the last window, queued before the request",
         [&] { QCoreApplication::postEvent(lastWindow.windowHandle(), new QCloseEvent); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        auto app = Record();
        lastWindow.show();
        Start later({"one.txt"}, work);
        const AsItIsServed meanwhile(row.act);
        QTimer giveUp;
        giveUp.callOnTimeout([] { QCoreApplication::exit(1); });
        giveUp.start(5000);
        EXPECT_EQ(QCoreApplication::exec(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(SocketPath()); }, 3000)) << "it listens now";
        EXPECT_TRUE(later.Running());
        EXPECT_EQ(app->events, std::vector<std::string>{});
        later.Crash();
    }
}

TEST_F(OneRunningProgram, NoOtherUserCanConnect)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "becoming another user (nobody) to connect needs root";
    // However open the user's defaults and the folders on the way are, only
    // the socket's own rights stand in another user's way.
    const mode_t mask = ::umask(0);
    auto app = Record();
    ::umask(mask);
    const ProgramSocket socket;
    const sockaddr_un address = socket.SocketAddress().value();
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray home = runtime.left(runtime.lastIndexOf('/'));
    ASSERT_EQ(::chmod(home.constData(), 0711), 0);
    ASSERT_EQ(::chmod(runtime.constData(), 0711), 0);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::_exit(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 1 : 0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    ::chmod(runtime.constData(), 0700);
    ::chmod(home.constData(), 0700);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "status " << status << " (1: user nobody connected; 2: could not become user nobody)";
}

TEST_F(OneRunningProgram, StartsAtTheSameMomentEndWithOneProgramHoldingAllRequests)
{
    std::vector<std::unique_ptr<Start>> starts;
    for (const char* name : {"one.txt", "two.txt", "three.txt"})
        starts.push_back(std::make_unique<Start>(std::vector<std::string>{name}, work));
    const auto running = [&] {
        return std::count_if(starts.begin(), starts.end(), [](auto& start) { return start->Running(); });
    };
    (void)QTest::qWaitFor([&] { return running() == 1; }, 8000);
    // Give a start that wrongly went on alone the time to show itself.
    QTest::qWait(300);
    EXPECT_EQ(running(), 1);
    for (auto& start : starts)
        EXPECT_TRUE(start->Running() || start->Wait(0) == 0) << "it handed its request to the one that runs";
    // The one that runs takes requests.
    HandOver({"one.txt"}, work);
}

} // namespace
