#pragma once
#include <cstddef>
#include <string>

class TextSink;

// The text of every page of a PDF document, in reading order, pages separated by line breaks.
// Throws EConversion for a document that cannot be opened (damaged, or locked by a password).
//
// The file's text goes to sink page by page; false when the sink's limit stopped it early.
bool PdfTextOfFile(const std::string& path, TextSink& sink);
// The text of a document in memory, within the sink's default limit.
std::string PdfTextOfData(const char* data, std::size_t size);
