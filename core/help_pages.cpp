#include "core/help_pages.h"

#include "core/publisher.h"
#include "platform/Shell.h"
#include "platform/Text.h"

std::string HelpPagePath(const std::string& topic)
{
    return "../docs/" + platform::Trimmed(topic) + ".html";
}

void OpenHelpTopic(const std::string& topic)
{
    platform::OpenAddress(HelpPagePath(topic));
}

std::string WebSearchAddress()
{
    return std::string(PublisherWebHost) + "/adds/redirectsearch.html";
}

void OpenWebSearchPage()
{
    platform::OpenAddress(WebSearchAddress());
}
