// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Lowers the largest file this process may write, so that a write fails for
// real even though the tests run as root (permissions do not stop root).
// Restores the limit when it goes out of scope. Keep the scope short: the
// limit also applies to any log file the test writes to.

#include <csignal>
#include <sys/resource.h>

namespace tembrel::test {

class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_old.rlim_max};
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

} // namespace tembrel::test
