#pragma once
#include <chrono>
#include <cstddef>
#include <string>

// A file that could not be read as settings is put aside beside itself under a dated name,
// "<file>.damaged-YYYYMMDD-HHMMSS" (UTC, "-2", "-3", ... when that name is taken), so a second
// damaged file never replaces the copy of the first. Only the newest KeptDamagedCopies dated
// copies stay; older ones (files only) are removed.
inline constexpr std::size_t KeptDamagedCopies = 5;

// The dated name of a copy of file made at now, before any "-2" is added.
std::string DamagedCopyName(const std::string& file, std::chrono::system_clock::time_point now);

// Moves file aside as its newest damaged copy; false (file untouched) when that fails.
bool KeepDamagedCopy(const std::string& file, std::chrono::system_clock::time_point now);
