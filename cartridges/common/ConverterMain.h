#pragma once
#include <string>

// The whole of a converter helper program: converts the document named by its one argument and
// writes the text to standard output. Exit status 0 on success, 1 for a document it cannot read,
// 2 for a wrong call.
int ConverterMain(int argc, char** argv, std::string (*convert)(const std::string& path));
