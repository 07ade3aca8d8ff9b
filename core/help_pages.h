#pragma once
#include <string>

// The program's pages lie in its docs folder, "../docs/", relative to the working directory the
// program was started in. They stand in for a web site too (home page, product list, web search),
// so every link opens something useful offline.

// The help page of a topic: "../docs/<topic>.html", the topic trimmed of blanks.
std::string HelpPagePath(const std::string& topic);
// Opens the help page of a topic in the browser; a missing page or browser is not reported.
void OpenHelpTopic(const std::string& topic);

// The home page: the help index.
std::string HomePageAddress();
// The shipped plug-ins and how to add others; the plug-in information dialogs link to it.
std::string ProductListAddress();

// The page that forwards to a web search for fileName (none: the page asks for the words).
std::string WebSearchAddress(const std::string& fileName = {});
// Opens the web search page in the browser; failures are not reported.
void OpenWebSearchPage(const std::string& fileName = {});
