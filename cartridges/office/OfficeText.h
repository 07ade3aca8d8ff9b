#pragma once
#include <cstddef>
#include <string>

// The text of an OpenDocument file (.odt, .ods, .odp), an Office Open XML file (.docx, .xlsx,
// .pptx) or an EPUB e-book: the text of the document's XML parts, paragraphs on lines of their own.
// The kind is told by the parts the zip container holds, not by the file name. Throws EConversion
// for a file that is no readable zip container of a known kind.
std::string OfficeTextOfFile(const std::string& path);
std::string OfficeTextOfData(const char* data, std::size_t size);
