#include "support/HungFuseMount.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

HungFuseMount::HungFuseMount() {
    m_fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = QStringLiteral("/dev/fuse: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    // The kernel's first request (INIT) is never read, so every later one waits for it.
    const QByteArray options =
        "fd=" + QByteArray::number(m_fd) + ",rootmode=40000,user_id=0,group_id=0,allow_other";
    if (::mount("velmora-hung", m_dir.path().toLocal8Bit().constData(), "fuse",
                MS_NOSUID | MS_NODEV, options.constData()) != 0) {
        m_error = QStringLiteral("mounting FUSE: ") + QString::fromLocal8Bit(std::strerror(errno));
        ::close(m_fd);
        m_fd = -1;
    }
}

HungFuseMount::~HungFuseMount() {
    if (m_fd < 0)
        return;
    ::close(m_fd);
    ::umount2(m_dir.path().toLocal8Bit().constData(), MNT_DETACH);
}
