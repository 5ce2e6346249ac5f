#include "sim/SimTrace.h"

#include <chrono>
#include <cstdio>
#include <ctime>

std::string CSimTrace::Printable(const std::string& bytes)
{
    std::string text;
    for (unsigned char byte : bytes) {
        switch (byte) {
        case 0x02:
            text += "<STX>";
            break;
        case 0x03:
            text += "<ETX>";
            break;
        case 0x04:
            text += "<EOT>";
            break;
        case '\r':
            text += "<CR>";
            break;
        default:
            if (byte >= 0x20 && byte < 0x7F) {
                text += static_cast<char>(byte);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "<%02X>", byte);
                text += hex;
            }
        }
    }
    return text;
}

void CSimTrace::Line(const char* direction, const std::string& bytes)
{
    if (!m_enabled)
        return;
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec, ms);
    m_out << stamp << ' ' << direction << ' ' << Printable(bytes) << std::endl;
}
