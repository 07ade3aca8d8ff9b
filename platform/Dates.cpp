#include "platform/Dates.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <ctime>

namespace platform {
namespace {

constexpr std::uint64_t kTicksPerDay = 864000000000ULL;
// Days from 0000-03-01 (the civil calendar's origin below) to 1601-01-01.
constexpr std::int64_t kDaysTo1601 = 584694;

// Days since 0000-03-01 of a proleptic Gregorian date, and back (Howard Hinnant's civil algorithms).
std::int64_t DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

CalendarDate CivilFromDays(std::int64_t z)
{
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp < 10 ? mp + 3 : mp - 9;
    const int y = static_cast<int>(yoe + era * 400) + (m <= 2);
    return {y, m, d};
}

} // namespace

CalendarDate FileTimeToUtcDate(std::uint64_t fileTime)
{
    return CivilFromDays(kDaysTo1601 + static_cast<std::int64_t>(fileTime / kTicksPerDay));
}

std::uint64_t UtcDateToFileTime(const CalendarDate& date)
{
    const std::int64_t days = DaysFromCivil(date.Year, date.Month, date.Day) - kDaysTo1601;
    return days < 0 ? 0 : static_cast<std::uint64_t>(days) * kTicksPerDay;
}

CalendarDate Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

CalendarDate AddDays(const CalendarDate& date, int days)
{
    return CivilFromDays(DaysFromCivil(date.Year, date.Month, date.Day) + days);
}

int DaysBetween(const CalendarDate& from, const CalendarDate& to)
{
    return static_cast<int>(DaysFromCivil(to.Year, to.Month, to.Day) - DaysFromCivil(from.Year, from.Month, from.Day));
}

std::string ShortDateFormat()
{
    // A two-digit year reads back in the wrong century, so the year always has four digits.
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    format.replace(QRegularExpression("y+"), "yyyy");
    return format.toStdString();
}

std::string FormatShortDate(const CalendarDate& date)
{
    static const QString format = QString::fromStdString(ShortDateFormat());
    return QLocale::system().toString(QDate(date.Year, date.Month, date.Day), format).toStdString();
}

std::optional<CalendarDate> ParseShortDate(const std::string& text)
{
    const QDate date = QLocale::system().toDate(QString::fromUtf8(text).trimmed(), QString::fromStdString(ShortDateFormat()));
    if (!date.isValid())
        return std::nullopt;
    return CalendarDate{date.year(), date.month(), date.day()};
}

} // namespace platform
