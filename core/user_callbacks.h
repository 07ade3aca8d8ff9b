#pragma once
#include <functional>
#include <string>

// A yes/no question to the user (the confirmation dialog); true for "Yes".
using AskCallback = std::function<bool(const std::string& question)>;
// A plain message to the user (the message dialog).
using InformCallback = std::function<void(const std::string& text)>;
