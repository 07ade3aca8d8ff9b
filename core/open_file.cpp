#include "core/open_file.h"

#include "platform/Shell.h"

#include <map>

namespace {

const std::map<int, std::string>& OpenFileMessages()
{
    static const std::map<int, std::string> messages{
        {0, "The operating system is out of memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied access to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred."},
        {27, "The filename association is incomplete or invalid."},
        {28, "The DDE transaction could not be completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not be completed because other DDE transactions were being processed."},
        {31, "There is no application associated with the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    };
    return messages;
}

bool IsSuccess(int result)
{
    return result > 32;
}

} // namespace

std::string OpenFileResultMessage(int result)
{
    const auto& messages = OpenFileMessages();
    const auto found = messages.find(result);
    // A code outside the table still is a failure; the general one says so best.
    return found != messages.end() ? found->second : messages.at(0);
}

void OpenFoundFile(const std::string& path, const AskCallback& ask, const InformCallback& inform,
                   const OpenerCallback& open)
{
    if (!ask("Try to open the file?"))
        return;
    const int result = open ? open(path) : platform::OpenWithAssociatedApplication(path);
    if (!IsSuccess(result))
        inform(OpenFileResultMessage(result));
}
