#pragma once

#include <QFile>
#include <QList>
#include <sys/resource.h>
#include <unistd.h>

// The process's own resources, as the kernel counts them.
namespace TestMemory {

// Resident memory of this process (the second field of /proc/self/statm).
inline qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() < 2 ? -1 : fields[1].toLongLong() * sysconf(_SC_PAGESIZE);
}

// Raises the open-file limit towards the wanted count; the limit reached.
inline qint64 raiseOpenFiles(rlim_t wanted)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = std::min(wanted, limit.rlim_max);
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    return qint64(limit.rlim_cur);
}

} // namespace TestMemory
