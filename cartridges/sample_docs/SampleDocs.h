#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Small documents of every kind the cartridges read, written from scratch: for the tests, the
// benchmark and the fuzz corpus. Texts are UTF-8; the PDF writer takes Latin-1 letters at most.
namespace sample_docs {

using Lines = std::vector<std::string>;

// One page per element of pages, one text line per string.
std::string Pdf(const std::vector<Lines>& pages);
// A PDF whose page tree lists its own root among its kids.
std::string PdfWithPageTreeLoop(const Lines& lines);

// A zip container of the given (name, content) parts, the first one stored, the others deflated.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& parts);

std::string Docx(const Lines& paragraphs);
std::string Xlsx(const Lines& cells);
std::string Pptx(const Lines& paragraphs);
std::string Odt(const Lines& paragraphs);
std::string Ods(const Lines& cells);
std::string Odp(const Lines& paragraphs);
std::string Epub(const Lines& paragraphs);
// A .docx of a few megabytes whose document part inflates to inflatedMegabytes of paragraphs.
std::string DocxBomb(std::uint32_t inflatedMegabytes);

// Long documents written to path a piece at a time, so that no more than a piece is ever held: the
// main part (the content of an .ods, the document of a .docx, the first chapter of an e-book, the
// page contents of a PDF) inflates
// to about inflatedMegabytes of varied rows, paragraphs or pages, and only its very end holds
// lastLine.
enum class LongKind { Ods, Docx, Epub, Pdf };
void WriteLongDocument(const std::string& path, LongKind kind, std::uint32_t inflatedMegabytes, const std::string& lastLine);

// Markup-safe text: &, <, > and quotes as entities.
std::string XmlEscaped(const std::string& text);
void WriteFile(const std::string& path, const std::string& bytes);

} // namespace sample_docs
