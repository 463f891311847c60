#include "TestSupport.h"

#include "framework/FileType.h"
#include "framework/OpenDialog.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <QFile>

#include <fcntl.h>
#include <ftw.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <cstdio>
#include <ctime>
#include <unistd.h>

TempFolder::TempFolder() = default;

TempFolder::TempFolder(const std::string& parent)
    : m_dir(QFile::decodeName(QByteArray::fromStdString(parent)) + "/kestrune-tests-XXXXXX")
{
}

namespace {
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return ::remove(path);
}
} // namespace

TempFolder::~TempFolder()
{
    // QTemporaryDir removes through text file names and trips over names
    // that are not valid UTF-8; remove the tree byte for byte first.
    if (m_dir.isValid())
        ::nftw(Path().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TempFolder::Path(const std::string& name) const
{
    std::string base = QFile::encodeName(m_dir.path()).toStdString();
    return name.empty() ? base : base + "/" + name;
}

std::string TempFolder::MakeFile(const std::string& name, const QByteArray& content) const
{
    const std::string path = Path(name);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        if (!content.isEmpty())
            (void)::write(fd, content.constData(), content.size());
        ::close(fd);
    }
    return path;
}

TmpfsMount::TmpfsMount(std::string folder) : m_folder(std::move(folder))
{
    ::mkdir(m_folder.c_str(), 0755);
    m_mounted = ::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, "size=1m") == 0;
}

TmpfsMount::~TmpfsMount()
{
    if (m_mounted)
        ::umount2(m_folder.c_str(), MNT_DETACH);
}

bool TmpfsMount::MakeReadOnly() const
{
    return ::mount(nullptr, m_folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

TmpfsFolder::TmpfsFolder()
{
    constexpr unsigned long kTmpfsMagic = 0x01021994;
    struct statfs fs{};
    if (::statfs("/dev/shm", &fs) == 0 && static_cast<unsigned long>(fs.f_type) == kTmpfsMagic
        && ::access("/dev/shm", W_OK | X_OK) == 0) {
        m_folder.emplace("/dev/shm");
        if (m_folder->IsValid())
            return;
    }
    m_folder.emplace();
    m_mount.emplace(m_folder->Path("tmpfs"));
    if (!m_mount->Mounted())
        m_problem = "no tmpfs: /dev/shm is not one this user may write, and mounting one needs root";
}

std::string TmpfsFolder::Path(const std::string& name) const
{
    const std::string base = m_mount ? m_folder->Path("tmpfs") : m_folder->Path();
    return name.empty() ? base : base + "/" + name;
}

std::string TmpfsFolder::MakeFile(const std::string& name, const QByteArray& content) const
{
    return m_folder->MakeFile(m_mount ? "tmpfs/" + name : name, content);
}

ScopedTimeZone::ScopedTimeZone(const char* zone) : m_saved(qgetenv("TZ"))
{
    qputenv("TZ", zone);
    ::tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    // The test main always sets TZ, so there is one to put back.
    qputenv("TZ", m_saved);
    ::tzset();
}

QByteArray FileHash(const std::string& path)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return {};
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        hash.addData(QByteArrayView(buffer, n));
    ::close(fd);
    return hash.result().toHex();
}

void AnswerNextOpenDialog(const std::string& path, bool* answered)
{
    // Qt's own dialog can be driven the same way on every platform.
    OpenDialog::_UseQtDialog(true);
    QTimer::singleShot(0, [path, answered] {
        // The dialog opens once exec() has started its own event loop.
        (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (answered)
            *answered = true;
        if (path.empty()) {
            dialog->reject();
        } else {
            dialog->selectFile(QFile::decodeName(QByteArray::fromStdString(path)));
            static_cast<QDialog*>(dialog)->accept();
        }
    });
}

RegistrationCounter::RegistrationCounter()
{
    FileTypeRegistry::_Watch([this](std::string_view name) { ++m_counts[std::string(name)]; });
}

RegistrationCounter::~RegistrationCounter()
{
    FileTypeRegistry::_Watch(nullptr);
}

int RegistrationCounter::Count(const std::string& name) const
{
    const auto it = m_counts.find(name);
    return it == m_counts.end() ? 0 : it->second;
}

std::optional<std::int64_t> Seconds(const std::optional<Date>& date)
{
    return date ? std::optional(date->SecondsSinceEpoch()) : std::nullopt;
}
