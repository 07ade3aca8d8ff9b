#pragma once
#include <cstddef>
#include <string>

class TextSink;

// The text of an OpenDocument file (.odt, .ods, .odp), an Office Open XML file (.docx, .xlsx,
// .pptx) or an EPUB e-book: the text of the document's XML parts, paragraphs on lines of their own.
// The kind is told by the parts the zip container holds, not by the file name. Throws EConversion
// for a file that is no readable zip container of a known kind.
//
// The file's text goes to sink as it is read; false when a limit stopped the reading before the
// end: the sink's, or the inflated bytes the file's size allows (GrowthLimit).
bool OfficeTextOfFile(const std::string& path, TextSink& sink);
// The text of a document in memory, within the sink's and the zip container's default limits.
std::string OfficeTextOfData(const char* data, std::size_t size);
