#pragma once

#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace quay::test {

// While it lives, the process reads times in Central European time (UTC+1, UTC+2 in summer),
// written as a POSIX rule so that no time zone database is needed; the zone of the process
// comes back after.
class CentralEuropeanTime {
public:
    CentralEuropeanTime() {
        if (const char* zone = std::getenv("TZ"))
            m_savedZone = zone;
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }
    ~CentralEuropeanTime() {
        if (m_savedZone)
            setenv("TZ", m_savedZone->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    CentralEuropeanTime(const CentralEuropeanTime&) = delete;
    CentralEuropeanTime& operator=(const CentralEuropeanTime&) = delete;

private:
    std::optional<std::string> m_savedZone;
};

}  // namespace quay::test
