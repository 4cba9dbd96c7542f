#include "FileDates.h"

#include <chrono>

namespace vortalux::script {

double LocalOleDate(std::time_t time)
{
    using namespace std::chrono;
    std::tm local {};
    localtime_r(&time, &local);
    const year_month_day day {year {local.tm_year + 1900}, month {static_cast<unsigned>(local.tm_mon + 1)},
        std::chrono::day {static_cast<unsigned>(local.tm_mday)}};
    constexpr sys_days Epoch = sys_days {year {1899} / December / 30};
    const auto days = (sys_days {day} - Epoch).count();
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return static_cast<double>(days) + seconds / 86400.0;
}

} // namespace vortalux::script
