#pragma once

#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// Root writes to any file whatever its mode bits (the capability CAP_DAC_OVERRIDE), so a test
// run as root, as in CI, could never see a write-protected file. While an object of this class
// lives, the calling thread runs without that capability and a file's mode binds it as it binds
// an operator's account; the capability comes back at the end. It stays in the permitted set,
// which is why it can. For an ordinary user it changes nothing.
class ModeBitsBind
{
public:
    ModeBitsBind()
    {
#ifdef Q_OS_LINUX
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective &= ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
        m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
#endif
    }
    ~ModeBitsBind()
    {
#ifdef Q_OS_LINUX
        if (m_lowered)
            ::syscall(SYS_capset, &m_header, m_saved);
#endif
    }
    ModeBitsBind(const ModeBitsBind&) = delete;
    ModeBitsBind& operator=(const ModeBitsBind&) = delete;

    // Whether `path` now really refuses to be opened for writing (the test's precondition).
    static bool refusesWriting(const QString& path)
    {
        QFile f(path);
        return !f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
    }

private:
#ifdef Q_OS_LINUX
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
#endif
};
