#include "tagged/DamagedCopies.h"

#include "platform/FileSystem.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const std::string kDamagedMark = ".damaged-";

std::string TwoDigits(unsigned value)
{
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

// The time stamp of a copy's name: its sort order is the order in time.
std::string Stamp(std::chrono::system_clock::time_point now)
{
    using namespace std::chrono;
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(floor<seconds>(now - day));
    return std::to_string(static_cast<int>(date.year())) + TwoDigits(static_cast<unsigned>(date.month()))
           + TwoDigits(static_cast<unsigned>(date.day())) + "-" + TwoDigits(static_cast<unsigned>(time.hours().count()))
           + TwoDigits(static_cast<unsigned>(time.minutes().count()))
           + TwoDigits(static_cast<unsigned>(time.seconds().count()));
}

// "-2", "-3", ... sort after the plain name and among themselves by number.
std::string NumberedSuffix(int number)
{
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%04d", number);
    return suffix;
}

// The names of the dated copies of file, oldest first.
std::vector<std::string> DatedCopies(const std::string& file)
{
    const std::string prefix = platform::FileNamePart(file) + kDamagedMark;
    std::vector<std::string> names;
    for (const FileEntry& entry : platform::ListDirectory(platform::DirectoryPart(file))) {
        if (entry.Name.starts_with(prefix) && !entry.IsDirectory() && !entry.IsSymbolicLink)
            names.push_back(entry.Name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveOldestCopies(const std::string& file)
{
    const std::vector<std::string> copies = DatedCopies(file);
    const std::string dir = platform::WithTrailingSlash(platform::DirectoryPart(file));
    for (std::size_t i = 0; i + KeptDamagedCopies < copies.size(); ++i)
        platform::RemoveFile(dir + copies[i]);
}

} // namespace

std::string DamagedCopyName(const std::string& file, std::chrono::system_clock::time_point now)
{
    return file + kDamagedMark + Stamp(now);
}

namespace {

// The number the next copy with this stamp takes: one above the newest one already there, so that
// names freed by removing old copies are never taken again and the order of names stays the
// order in time.
int NextNumber(const std::string& file, const std::string& dated)
{
    const std::string datedName = platform::FileNamePart(dated);
    int number = 1;
    for (const std::string& copy : DatedCopies(file)) {
        if (copy == datedName)
            number = std::max(number, 2);
        else if (copy.starts_with(datedName + "-"))
            number = std::max(number, std::atoi(copy.c_str() + datedName.size() + 1) + 1);
    }
    return number;
}

} // namespace

bool KeepDamagedCopy(const std::string& file, std::chrono::system_clock::time_point now)
{
    const std::string dated = DamagedCopyName(file, now);
    for (int number = NextNumber(file, dated); number < 10000; ++number) {
        const std::string copy = number == 1 ? dated : dated + NumberedSuffix(number);
        try {
            if (!platform::RenameUnlessTaken(file, copy))
                continue;
        } catch (const std::exception&) {
            return false;
        }
        RemoveOldestCopies(file);
        return true;
    }
    return false;
}
