#include "platform/Process.h"

#include <QtGlobal>
#include <optional>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <QFile>
#include <csignal>
#include <unistd.h>
#endif

namespace platform {

namespace {

// The slack between a process's start as the system counts it and the
// moment its announcement was written.
constexpr qint64 kStartSlackMs = 2000;

#if defined(Q_OS_LINUX)
// When the process started, from /proc: its start in clock ticks after the
// machine's boot, and the boot's time. None for a process that has ended and
// not yet been reaped by its parent (a zombie).
std::optional<QDateTime> startOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile machine(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly) || !machine.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray line = stat.readAll();
    // The command's name may hold spaces and parentheses: the fields that
    // count come after its last ')'.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20 || fields[0] == "Z" || fields[0] == "X") return std::nullopt;
    bool ok = false;
    const qint64 ticks = fields[19].toLongLong(&ok); // field 22, starttime
    if (!ok) return std::nullopt;
    for (const QByteArray& entry : machine.readAll().split('\n')) {
        if (!entry.startsWith("btime ")) continue;
        const qint64 boot = entry.mid(6).trimmed().toLongLong(&ok);
        if (!ok) return std::nullopt;
        const long perSecond = sysconf(_SC_CLK_TCK);
        return QDateTime::fromMSecsSinceEpoch(boot * 1000 + ticks * 1000 / (perSecond > 0 ? perSecond : 100));
    }
    return std::nullopt;
}
#endif

} // namespace

bool processRunningSince(qint64 pid, const QDateTime& announcedAt) {
    if (pid <= 0) return false;
#if defined(Q_OS_WIN)
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process) return false;
    DWORD code = 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE &&
                         GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    if (!running) return false;
    // FILETIME counts 100 ns from 1601.
    const qint64 since1601 = (qint64(created.dwHighDateTime) << 32 | created.dwLowDateTime) / 10000;
    const qint64 startMs = since1601 - 11644473600000LL;
    return startMs <= announcedAt.toMSecsSinceEpoch() + kStartSlackMs;
#elif defined(Q_OS_UNIX)
    // Signal 0 only asks: a process of another user cannot be asked, and is
    // not ours.
    if (::kill(pid_t(pid), 0) != 0) return false;
#if defined(Q_OS_LINUX)
    const auto started = startOf(pid);
    return started && started->toMSecsSinceEpoch() <= announcedAt.toMSecsSinceEpoch() + kStartSlackMs;
#else
    return true;
#endif
#else
    Q_UNUSED(announcedAt);
    return true;
#endif
}

} // namespace platform
