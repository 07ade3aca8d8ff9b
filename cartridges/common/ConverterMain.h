#pragma once
#include <string>

class TextSink;

// The exit statuses of a converter helper program.
enum ConverterStatus : int {
    kConvertedWhole = 0,
    kNotConverted = 1,  // a document it cannot read
    kWrongCall = 2,
    kConvertedInPart = 3,  // a size limit (growth, memory) stopped it; its output is the text before
};

// Converts the document at path into sink; false when a size limit stopped it before the end.
// Throws for a document it cannot read.
using Converter = bool (*)(const std::string& path, TextSink& sink);

// The whole of a converter helper program: converts the document named by its one argument and
// writes the text to standard output as it is made, within the growth limit of the document's size.
int ConverterMain(int argc, char** argv, Converter convert);
