// One running program: later starts of the real executable hand their
// requests, made full paths, to this test program, which plays the running
// program; what a start cannot hand over, or sends wrongly, changes nothing.
#include "MainWindowDriver.h"

#include "app/App.h"
#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/SingleInstance.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QMainWindow>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
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

QString SocketPath()
{
    return SingleInstance(Program().name, nullptr).SocketPath();
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

QByteArray Number(quint32 value)
{
    const quint32 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), 4);
}

QByteArray Message(const QByteArray& rest)
{
    return "ODR1" + Number(static_cast<quint32>(rest.size())) + rest;
}

TEST_F(OneRunningProgram, AMessageThatBreaksTheRulesIsRefusedAndNothingElseHappens)
{
    const QByteArray onePath = Number(1) + Number(4) + "/one";
    const struct {
        const char* why;
        QByteArray bytes;
    } rows[] = {
        {"not a request", "GET / HTTP/1.0\r\n\r\n"},
        {"too large", "ODR1" + Number(SingleInstance::kMaxMessageBytes + 1)},
        {"too many paths", Message(Number(SingleInstance::kMaxPaths + 1))},
        {"a path past the end", Message(Number(1) + Number(40) + "/one")},
        {"a relative path", Message(Number(1) + Number(3) + "one")},
        {"a NUL byte in a path", Message(Number(1) + Number(4) + QByteArray("/o\0e", 4))},
        {"bytes after the message", Message(onePath) + "x"},
        {"a message that stops halfway", Message(onePath).left(10)},
    };
    auto app = Record();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        QLocalSocket client;
        client.connectToServer(SocketPath());
        ASSERT_TRUE(client.waitForConnected(1000));
        client.write(row.bytes);
        EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; },
                                    SingleInstance::kStallTimeoutMs + 2000))
            << "the running program closes the connection";
    }
    // Still listening, and nothing of the refused messages arrived.
    HandOver({"one.txt"}, work);
    ExpectEvents(*app, {"open " + Resolved(work) + "/one.txt"});
}

TEST_F(OneRunningProgram, NoOtherUserCanConnect)
{
    // However open the user's defaults and the folders on the way are, only
    // the socket's own rights stand in another user's way.
    const mode_t mask = ::umask(0);
    auto app = Record();
    ::umask(mask);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(SocketPath());
    std::memcpy(address.sun_path, path.constData(), std::min(sizeof address.sun_path - 1, std::size_t(path.size())));
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray home = runtime.left(runtime.lastIndexOf('/'));
    ASSERT_EQ(::chmod(home.constData(), 0711), 0);
    ASSERT_EQ(::chmod(runtime.constData(), 0711), 0);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::_exit(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 1 : 0);
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
