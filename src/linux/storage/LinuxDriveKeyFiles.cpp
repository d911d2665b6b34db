#include "storage/LinuxDriveKeyFiles.h"

#include "storage/DriveKeyFile.h"

#include <QRandomGenerator>
#include <QSysInfo>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Where a finished thread hands its answer in; the adapter empties `receiver` when it goes away.
struct LinuxDriveKeyFiles::Mailbox {
    std::mutex mutex;
    QObject* receiver = nullptr;
};

namespace {

constexpr const char* folderName = ".velmora";

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd)
        : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

using Result = DriveKeyFiles::Result;
using Outcome = DriveKeyFiles::Outcome;

// Only a read-only filesystem says the volume can never hold a key; a refused permission may be
// mended and is tried again at the next connection.
Result failure(int error) {
    if (error == EROFS)
        return {Outcome::readOnly, {}};
    if (error == ENOENT)
        return {Outcome::missing, {}};
    return {Outcome::unreadable, {}};
}

// Neither the folder nor the file may be a link: the volume is outside input, and a link could
// point the write at one of the user's own files.
int openFolder(const QString& mountPath, bool create) {
    Fd top(::open(mountPath.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top.isOpen())
        return -1;
    if (create && ::mkdirat(top.get(), folderName, 0700) != 0 && errno != EEXIST)
        return -1;
    return ::openat(top.get(), folderName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

LinuxDriveKeyFiles::LinuxDriveKeyFiles(QString fileName, QObject* parent)
    : QObject(parent)
    , m_fileName(std::move(fileName))
    , m_mailbox(std::make_shared<Mailbox>()) {
    m_mailbox->receiver = this;
}

LinuxDriveKeyFiles::~LinuxDriveKeyFiles() {
    const std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->receiver = nullptr;
}

QString LinuxDriveKeyFiles::defaultFileName() {
    const passwd* user = ::getpwuid(::getuid());
    const QString userName =
        user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::getuid());
    return userName + QLatin1Char('@') + QSysInfo::machineHostName() + QStringLiteral(".key");
}

void LinuxDriveKeyFiles::read(const QString& mountPath, Done done) {
    runDetached([mountPath, name = m_fileName] { return readNow(mountPath, name); },
                std::move(done));
}

void LinuxDriveKeyFiles::write(const QString& mountPath, const QByteArray& secret, Done done) {
    runDetached(
        [mountPath, name = m_fileName, secret] { return writeNow(mountPath, name, secret); },
        std::move(done));
}

// Opened without waiting (a FIFO planted on the drive must not hang the reader) and read only
// when it is a plain file of a plausible size.
LinuxDriveKeyFiles::Result LinuxDriveKeyFiles::readNow(const QString& mountPath,
                                                       const QString& fileName) {
    Fd folder(openFolder(mountPath, false));
    if (!folder.isOpen())
        return failure(errno);
    Fd file(::openat(folder.get(), fileName.toLocal8Bit().constData(),
                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen())
        return failure(errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > DriveKeyFile::maxSize)
        return {Outcome::unreadable, {}};
    QByteArray contents(DriveKeyFile::maxSize + 1, Qt::Uninitialized);
    const ssize_t count = ::read(file.get(), contents.data(), contents.size());
    if (count < 0)
        return {Outcome::unreadable, {}};
    contents.truncate(count);
    const auto secret = DriveKeyFile::parse(contents);
    if (!secret)
        return {Outcome::unreadable, {}};
    return {Outcome::ok, *secret};
}

// A fresh file beside the old one, synced, then renamed over it and the folder synced: a crash
// leaves the old secret or the new one, never half of one.
LinuxDriveKeyFiles::Result LinuxDriveKeyFiles::writeNow(const QString& mountPath,
                                                        const QString& fileName,
                                                        const QByteArray& secret) {
    Fd folder(openFolder(mountPath, true));
    if (!folder.isOpen())
        return failure(errno);
    const QByteArray finalName = fileName.toLocal8Bit();
    const QByteArray temporaryName =
        finalName + '.' + QByteArray::number(QRandomGenerator::system()->generate64(), 16) + ".tmp";
    Fd file(::openat(folder.get(), temporaryName.constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.isOpen())
        return failure(errno);
    const bool written =
        writeAll(file.get(), DriveKeyFile::format(secret)) && ::fsync(file.get()) == 0 &&
        ::renameat(folder.get(), temporaryName.constData(), folder.get(), finalName.constData()) ==
            0;
    const int error = errno;
    if (!written) {
        ::unlinkat(folder.get(), temporaryName.constData(), 0);
        return failure(error);
    }
    ::fsync(folder.get());
    return {Outcome::ok, {}};
}

void LinuxDriveKeyFiles::runDetached(std::function<Result()> work, Done done) {
    std::thread([mailbox = m_mailbox, work = std::move(work), done = std::move(done)] {
        const Result result = work();
        const std::lock_guard lock(mailbox->mutex);
        if (!mailbox->receiver)
            return;
        QMetaObject::invokeMethod(
            mailbox->receiver, [done, result] { done(result); }, Qt::QueuedConnection);
    }).detach();
}
