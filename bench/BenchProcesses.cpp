#include "BenchProcesses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

BenchProcesses::~BenchProcesses() {
    killAll();
}

pid_t BenchProcesses::spawn(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> words{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return 0;
    m_pids.push_back(pid);
    return pid;
}

void BenchProcesses::killAll() {
    for (const pid_t pid : m_pids)
        ::kill(pid, SIGKILL);
    for (const pid_t pid : m_pids)
        ::waitpid(pid, nullptr, 0);
    m_pids.clear();
}

bool BenchProcesses::reapWasKilled(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

double percentile(const std::vector<double>& sorted, double percent) {
    if (sorted.empty())
        return 0;
    const auto index = static_cast<std::size_t>(
        std::ceil(percent / 100.0 * static_cast<double>(sorted.size())) - 1);
    return sorted[std::min(index, sorted.size() - 1)];
}

int processCount() {
    const QStringList names = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    return static_cast<int>(std::count_if(names.begin(), names.end(), [](const QString& name) {
        bool number = false;
        name.toInt(&number);
        return number;
    }));
}

double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

void settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
