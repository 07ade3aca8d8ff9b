#pragma once
#include "core/user_callbacks.h"

#include <functional>
#include <string>

// Opens a path with its associated application and answers an open result code (above 32: started).
using OpenerCallback = std::function<int(const std::string& path)>;

// The message for an open result code that is not a success.
std::string OpenFileResultMessage(int result);

// "Open file" on a found row: asks "Try to open the file?" and, on "Yes", opens path with its
// associated application; a failure is told through inform. The opener defaults to the platform's.
void OpenFoundFile(const std::string& path, const AskCallback& ask, const InformCallback& inform,
                   const OpenerCallback& open = {});
