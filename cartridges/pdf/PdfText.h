#pragma once
#include <cstddef>
#include <string>

// The text of every page of a PDF document, in reading order, pages separated by line breaks.
// Throws EConversion for a document that cannot be opened (damaged, or locked by a password).
std::string PdfTextOfFile(const std::string& path);
std::string PdfTextOfData(const char* data, std::size_t size);
