#pragma once

#include <QtGlobal>

#include <csignal>
#include <sys/resource.h>

// A disk that fills at a given size, for as long as this object lives: the process's file size
// limit set to bytes, with SIGXFSZ ignored, so that a write past it fails (EFBIG) as one past the
// end of a full disk does (ENOSPC), part of it going through.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        const rlimit full{rlim_t(bytes), m_before.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_before); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_before{};
};
