#include "core/help_pages.h"

#include "platform/Shell.h"
#include "platform/Text.h"

#include <QByteArray>

namespace {

std::string DocsPage(const std::string& page)
{
    return "../docs/" + page;
}

} // namespace

std::string HelpPagePath(const std::string& topic)
{
    return DocsPage(platform::Trimmed(topic) + ".html");
}

void OpenHelpTopic(const std::string& topic)
{
    platform::OpenAddress(HelpPagePath(topic));
}

std::string HomePageAddress() { return HelpPagePath("index"); }

std::string ProductListAddress() { return HelpPagePath("productlist"); }

std::string WebSearchAddress(const std::string& fileName)
{
    const std::string page = DocsPage("adds/redirectsearch.html");
    if (fileName.empty())
        return page;
    // The name's own bytes, escaped, so a name that is not UTF-8 reaches the page unchanged.
    return page + "?q=" + QByteArray::fromStdString(fileName).toPercentEncoding().toStdString();
}

void OpenWebSearchPage(const std::string& fileName)
{
    platform::OpenAddress(WebSearchAddress(fileName));
}
