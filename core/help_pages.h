#pragma once
#include <string>

// The help page of a topic: "../docs/<topic>.html", the topic trimmed of blanks. It is relative
// to the working directory the program was started in.
std::string HelpPagePath(const std::string& topic);
// Opens the help page of a topic in the browser; a missing page or browser is not reported.
void OpenHelpTopic(const std::string& topic);

// The publisher's page that forwards to a web search.
std::string WebSearchAddress();
// Opens the web search page in the browser; failures are not reported.
void OpenWebSearchPage();
