#pragma once
#include <functional>
#include <optional>
#include <string>

// Runs work in a forked child, so that a test can change what is process-wide (the user, the
// limit of open files) without touching the test program. The child's answer comes back as text;
// nothing when work says the test cannot be arranged here (it returns nothing).
std::optional<std::string> RunInChild(const std::function<std::optional<std::string>()>& work);

// For work that needs a user without privileges: becomes "nobody" when running as root. False
// when that is not possible.
bool DropPrivileges();

// For work that needs the system to refuse new threads, as it does a user at the limit of
// processes: lowers that limit to one. False when a thread can still be started (root is not held
// to the limit).
bool RefuseNewThreads();
