#include "SampleDocs.h"

#include <cstdio>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <zip.h>
#include <zlib.h>

namespace sample_docs {
namespace {

constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kDrawingNs = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr const char* kSheetNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kOdfNamespaces =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\"";

// UTF-8 to the single bytes of the PDF's standard Latin encoding; other characters become '?'.
std::string PdfString(const std::string& utf8)
{
    std::string out = "(";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0xC2 && c <= 0xC3 && i + 1 < utf8.size()) {
            c = static_cast<unsigned char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else if (c >= 0x80) {
            c = '?';
        }
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += static_cast<char>(c);
    }
    return out + ")";
}

std::string PageContent(const Lines& lines)
{
    std::string content = "BT /F1 12 Tf 72 720 Td 16 TL\n";
    for (const auto& line : lines)
        content += PdfString(line) + " Tj T*\n";
    return content + "ET\n";
}

// Objects 1 catalog, 2 page tree, 3 font, then a page and its content stream per page.
std::string PdfDocument(const std::vector<Lines>& pages, bool loopPageTree)
{
    std::vector<std::string> objects;
    std::string kids = loopPageTree ? "2 0 R " : "";
    for (std::size_t p = 0; p < pages.size(); ++p)
        kids += std::to_string(4 + 2 * p) + " 0 R ";
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const std::string content = PageContent(pages[p]);
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
                          "/Contents " + std::to_string(5 + 2 * p) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream");
    }
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string Joined(const Lines& items, const std::string& before, const std::string& after)
{
    std::string joined;
    for (const auto& item : items)
        joined += before + XmlEscaped(item) + after;
    return joined;
}

std::string OpenDocument(const std::string& mimeType, const std::string& body)
{
    return Zip({{"mimetype", mimeType},
                {"content.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content ") +
                                    kOdfNamespaces + "><office:body>" + body + "</office:body></office:document-content>"},
                {"META-INF/manifest.xml", "<?xml version=\"1.0\"?><manifest/>"}});
}

void PutLittleEndian(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Raw deflate of input ending with a full flush: independent of what came before, byte-aligned,
// so copies of it can be strung together.
std::string DeflatedPiece(z_stream& stream, const std::string& input, int flush)
{
    std::string out;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    char buffer[65536];
    do {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        deflate(&stream, flush);
        out.append(buffer, sizeof buffer - stream.avail_out);
    } while (stream.avail_out == 0 || stream.avail_in > 0);
    return out;
}

struct ZipEntry {
    std::string name;
    std::uint32_t crc = 0;
    std::uint64_t deflated = 0;
    std::uint64_t inflated = 0;
    std::uint64_t offset = 0;  // of its local header
};

// The local (or central) header of a deflated entry.
std::string EntryHeader(const ZipEntry& entry, bool central)
{
    std::string h;
    PutLittleEndian(h, central ? 0x02014b50 : 0x04034b50, 4);
    if (central)
        PutLittleEndian(h, 20, 2); // made by
    PutLittleEndian(h, 20, 2);     // needed
    PutLittleEndian(h, 0, 2);      // flags
    PutLittleEndian(h, 8, 2);      // deflate
    PutLittleEndian(h, 0, 4);      // time, date
    PutLittleEndian(h, entry.crc, 4);
    PutLittleEndian(h, entry.deflated, 4);
    PutLittleEndian(h, entry.inflated, 4);
    PutLittleEndian(h, entry.name.size(), 2);
    PutLittleEndian(h, 0, 2); // extra
    if (central) {
        PutLittleEndian(h, 0, 2 + 2 + 2); // comment, disk, internal attributes
        PutLittleEndian(h, 0, 4);         // external attributes
        PutLittleEndian(h, entry.offset, 4);
    }
    return h + entry.name;
}

// The central directory of the entries and the end record, the directory starting at offset.
std::string CentralDirectory(const std::vector<ZipEntry>& entries, std::uint64_t offset)
{
    std::string central;
    for (const ZipEntry& entry : entries)
        central += EntryHeader(entry, true);
    std::string end;
    PutLittleEndian(end, 0x06054b50, 4);
    PutLittleEndian(end, 0, 4);
    PutLittleEndian(end, entries.size(), 2);
    PutLittleEndian(end, entries.size(), 2);
    PutLittleEndian(end, central.size(), 4);
    PutLittleEndian(end, offset, 4);
    PutLittleEndian(end, 0, 2);
    return central + end;
}

// A zip container with one deflated part whose data was made elsewhere.
std::string ZipOfDeflated(const std::string& name, const std::string& data, std::uint32_t crc, std::uint32_t inflated)
{
    const ZipEntry entry{name, crc, data.size(), inflated, 0};
    const std::string local = EntryHeader(entry, false) + data;
    return local + CentralDirectory({entry}, local.size());
}

// A unit of about a megabyte made of item(i) for i = 0, 1, ...
template <typename TItem>
std::string MegabyteOf(TItem item)
{
    std::string unit;
    for (std::size_t i = 0; unit.size() < (std::size_t{1} << 20); ++i)
        unit += item(i);
    return unit;
}

// A part of head, count copies of unit and tail.
struct RepeatedPart {
    std::string name;
    std::string head;
    std::string unit{};
    std::uint32_t count = 0;
    std::string tail{};
};

// A zip container of the deflated parts written to out: each unit is deflated once and its copies
// strung together.
void WriteRepeatedPartZip(std::ostream& out, const std::vector<RepeatedPart>& parts)
{
    auto crcOf = [](const std::string& s) { return crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())); };
    std::vector<ZipEntry> entries;
    std::uint64_t at = 0;
    for (const RepeatedPart& part : parts) {
        z_stream stream{};
        deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
        const std::string deflatedHead = DeflatedPiece(stream, part.head, Z_FULL_FLUSH);
        const std::string deflatedUnit = DeflatedPiece(stream, part.unit, Z_FULL_FLUSH);
        const std::string deflatedTail = DeflatedPiece(stream, part.tail, Z_FINISH);
        deflateEnd(&stream);
        uLong crc = crcOf(part.head);
        const uLong unitCrc = crcOf(part.unit);
        for (std::uint32_t i = 0; i < part.count; ++i)
            crc = crc32_combine(crc, unitCrc, static_cast<z_off_t>(part.unit.size()));
        crc = crc32_combine(crc, crcOf(part.tail), static_cast<z_off_t>(part.tail.size()));
        const ZipEntry entry{part.name, static_cast<std::uint32_t>(crc),
                             deflatedHead.size() + std::uint64_t{deflatedUnit.size()} * part.count + deflatedTail.size(),
                             part.head.size() + std::uint64_t{part.unit.size()} * part.count + part.tail.size(), at};
        const std::string local = EntryHeader(entry, false);
        out << local << deflatedHead;
        for (std::uint32_t i = 0; i < part.count; ++i)
            out << deflatedUnit;
        out << deflatedTail;
        at += local.size() + entry.deflated;
        entries.push_back(entry);
    }
    out << CentralDirectory(entries, at);
}

// A PDF of count pages that share one font, each with its own copy of the deflated content, and a
// last page of its own, written to out.
void WriteRepeatedPagePdf(std::ostream& out, const std::string& content, std::uint32_t count, const std::string& lastContent)
{
    auto deflated = [](const std::string& input) {
        uLongf size = compressBound(static_cast<uLong>(input.size()));
        std::string bytes(size, '\0');
        compress2(reinterpret_cast<Bytef*>(bytes.data()), &size, reinterpret_cast<const Bytef*>(input.data()),
                  static_cast<uLong>(input.size()), Z_BEST_SPEED);
        bytes.resize(size);
        return bytes;
    };
    const std::string page = deflated(content);
    const std::string lastPage = deflated(lastContent);
    const std::uint32_t pages = count + 1;
    std::vector<std::uint64_t> offsets;
    std::uint64_t at = 0;
    auto put = [&](const std::string& bytes) {
        out << bytes;
        at += bytes.size();
    };
    auto object = [&](std::uint32_t number, const std::string& body) {
        offsets.push_back(at);
        put(std::to_string(number) + " 0 obj\n" + body + "\nendobj\n");
    };
    put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    for (std::uint32_t p = 0; p < pages; ++p)
        kids += std::to_string(4 + 2 * p) + " 0 R ";
    object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
    object(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    for (std::uint32_t p = 0; p < pages; ++p) {
        const std::string& stream = p + 1 < pages ? page : lastPage;
        object(4 + 2 * p, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
                          "/Contents " + std::to_string(5 + 2 * p) + " 0 R >>");
        object(5 + 2 * p, "<< /Length " + std::to_string(stream.size()) + " /Filter /FlateDecode >>\nstream\n" + stream +
                              "\nendstream");
    }
    const std::uint64_t xref = at;
    put("xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n");
    for (const std::uint64_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offset));
        put(entry);
    }
    put("trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) +
        "\n%%EOF\n");
}

// A page's content of about a megabyte: a screen of text lines, some drawing, and the notes a
// drawing program leaves as comments, which a text converter reads through but which give no
// text. (Drawing alone costs the PDF library about 35 ms a megabyte, so 300 MB of it would not fit
// the time limit.)
std::string LongPageContent(const std::string& lastLine)
{
    std::string content = "BT /F1 8 Tf 20 770 Td 9 TL\n";
    for (int line = 0; line < 80; ++line)
        content += "(line " + std::to_string(line) + " of a long document, lorem ipsum dolor sit amet) Tj T*\n";
    if (!lastLine.empty())
        content += PdfString(lastLine) + " Tj\n";
    content += "ET\n";
    for (std::size_t i = 0; content.size() < (std::size_t{64} << 10); ++i)
        content += std::to_string(i % 600) + " " + std::to_string((i * 7) % 780) + " m " + std::to_string((i * 3) % 600) +
                   " " + std::to_string((i * 11) % 780) + " l S\n";
    return content + MegabyteOf([](std::size_t i) {
               return "% drawing note " + std::to_string(i) + ": the layer keeps its outline and fill as drawn\n";
           });
}

} // namespace

void WriteLongDocument(const std::string& path, LongKind kind, std::uint32_t inflatedMegabytes, const std::string& lastLine)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::uint32_t units = inflatedMegabytes > 0 ? inflatedMegabytes - 1 : 0;
    switch (kind) {
    case LongKind::Ods:
        WriteRepeatedPartZip(
            out, {{"content.xml",
            std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content ") + kOdfNamespaces +
                "><office:body><office:spreadsheet><table:table>",
            MegabyteOf([](std::size_t i) {
                return "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"" + std::to_string(i) +
                       "\"><text:p>" + std::to_string(i) + "</text:p></table:table-cell><table:table-cell><text:p>item " +
                       std::to_string(i * 7919 % 100003) + " of the list</text:p></table:table-cell></table:table-row>";
            }),
            units,
            "<table:table-row><table:table-cell><text:p>" + XmlEscaped(lastLine) +
                "</text:p></table:table-cell></table:table-row></table:table></office:spreadsheet></office:body></office:document-content>"}});
        break;
    case LongKind::Docx:
        WriteRepeatedPartZip(
            out, {{"word/document.xml",
            std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document xmlns:w=\"") + kWordNs +
                "\"><w:body>",
            MegabyteOf([](std::size_t i) {
                return "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">Paragraph " + std::to_string(i) +
                       " tells of item " + std::to_string(i * 7919 % 100003) + " at length.</w:t></w:r></w:p>";
            }),
            units, "<w:p><w:r><w:t>" + XmlEscaped(lastLine) + "</w:t></w:r></w:p></w:body></w:document>"}});
        break;
    case LongKind::Epub:
        WriteRepeatedPartZip(
            out, {{"META-INF/container.xml",
                   "<container><rootfiles><rootfile full-path=\"book.opf\"/></rootfiles></container>"},
                  {"book.opf", "<package><manifest><item id=\"a\" href=\"a.xhtml\"/><item id=\"b\" href=\"b.xhtml\"/>"
                               "</manifest><spine><itemref idref=\"a\"/><itemref idref=\"b\"/></spine></package>"},
                  {"a.xhtml", "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>",
                   MegabyteOf([](std::size_t i) {
                       return "<p>Page " + std::to_string(i) + " of the first chapter tells of item " +
                              std::to_string(i * 7919 % 100003) + ".</p>\n";
                   }),
                   units, "</body></html>"},
                  {"b.xhtml", "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>" + XmlEscaped(lastLine) + "</p></body></html>"}});
        break;
    case LongKind::Pdf:
        WriteRepeatedPagePdf(out, LongPageContent(""), units, LongPageContent(lastLine));
        break;
    }
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Pdf(const std::vector<Lines>& pages)
{
    return PdfDocument(pages, false);
}

std::string PdfWithPageTreeLoop(const Lines& lines)
{
    return PdfDocument({lines}, true);
}

std::string Zip(const std::vector<std::pair<std::string, std::string>>& parts)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    if (!archive)
        throw std::runtime_error("cannot make a zip container");
    zip_source_keep(buffer);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        zip_source_t* part = zip_source_buffer(archive, parts[i].second.data(), parts[i].second.size(), 0);
        const zip_int64_t index = zip_file_add(archive, parts[i].first.c_str(), part, ZIP_FL_ENC_UTF_8);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), i == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    zip_close(archive);
    zip_stat_t stat;
    zip_source_stat(buffer, &stat);
    std::string bytes(stat.size, '\0');
    zip_source_open(buffer);
    zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

std::string Docx(const Lines& paragraphs)
{
    return Zip({{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                {"word/document.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                                  "<w:document xmlns:w=\"") +
                                          kWordNs + "\"><w:body>" + Joined(paragraphs, "<w:p><w:r><w:t xml:space=\"preserve\">", "</w:t></w:r></w:p>") +
                                          "</w:body></w:document>"}});
}

std::string Xlsx(const Lines& cells)
{
    std::string sheet;
    for (std::size_t i = 0; i < cells.size(); ++i)
        sheet += "<row r=\"" + std::to_string(i + 1) + "\"><c r=\"A" + std::to_string(i + 1) + "\" t=\"s\"><v>" +
                 std::to_string(i) + "</v></c><c r=\"B" + std::to_string(i + 1) + "\"><v>" + std::to_string(1000 + i) +
                 "</v></c></row>";
    return Zip({{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kSheetNs + "\"/>"},
                {"xl/sharedStrings.xml", std::string("<sst xmlns=\"") + kSheetNs + "\">" + Joined(cells, "<si><t>", "</t></si>") + "</sst>"},
                {"xl/worksheets/sheet1.xml",
                 std::string("<worksheet xmlns=\"") + kSheetNs + "\"><sheetData>" + sheet + "</sheetData></worksheet>"}});
}

std::string Pptx(const Lines& paragraphs)
{
    return Zip({{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                {"ppt/presentation.xml", "<p:presentation xmlns:p=\"urn:p\"/>"},
                {"ppt/slides/slide1.xml", std::string("<p:sld xmlns:p=\"urn:p\" xmlns:a=\"") + kDrawingNs +
                                              "\"><p:txBody>" + Joined(paragraphs, "<a:p><a:r><a:t>", "</a:t></a:r></a:p>") +
                                              "</p:txBody></p:sld>"}});
}

std::string Odt(const Lines& paragraphs)
{
    return OpenDocument("application/vnd.oasis.opendocument.text",
                        "<office:text>" + Joined(paragraphs, "<text:p>", "</text:p>") + "</office:text>");
}

std::string Ods(const Lines& cells)
{
    return OpenDocument("application/vnd.oasis.opendocument.spreadsheet",
                        "<office:spreadsheet><table:table>" +
                            Joined(cells, "<table:table-row><table:table-cell><text:p>", "</text:p></table:table-cell></table:table-row>") +
                            "</table:table></office:spreadsheet>");
}

std::string Odp(const Lines& paragraphs)
{
    return OpenDocument("application/vnd.oasis.opendocument.presentation",
                        "<office:presentation><draw:page><draw:frame><draw:text-box>" +
                            Joined(paragraphs, "<text:p>", "</text:p>") +
                            "</draw:text-box></draw:frame></draw:page></office:presentation>");
}

std::string Epub(const Lines& paragraphs)
{
    const std::string chapter =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>Chapter "
        "title</title></head><body>" + Joined(paragraphs, "<p>", "</p>") + "</body></html>";
    return Zip({{"mimetype", "application/epub+zip"},
                {"META-INF/container.xml",
                 "<?xml version=\"1.0\"?><container version=\"1.0\" "
                 "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile "
                 "full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>"},
                {"OEBPS/content.opf",
                 "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\"><manifest>"
                 "<item id=\"c1\" href=\"text/chapter%201.xhtml\" media-type=\"application/xhtml+xml\"/></manifest>"
                 "<spine><itemref idref=\"c1\"/></spine></package>"},
                {"OEBPS/text/chapter 1.xhtml", chapter}});
}

std::string DocxBomb(std::uint32_t inflatedMegabytes)
{
    const std::string head = std::string("<w:document xmlns:w=\"") + kWordNs + "\"><w:body>";
    const std::string paragraph = "<w:p><w:r><w:t>bomb</w:t></w:r></w:p>";
    std::string unit;
    while (unit.size() + paragraph.size() <= (1u << 20))
        unit += paragraph;
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    const std::string deflatedHead = DeflatedPiece(stream, head, Z_FULL_FLUSH);
    const std::string deflatedUnit = DeflatedPiece(stream, unit, Z_FULL_FLUSH);
    const std::string deflatedEnd = DeflatedPiece(stream, "", Z_FINISH);
    deflateEnd(&stream);
    std::string data = deflatedHead;
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(head.data()), static_cast<uInt>(head.size())));
    const uLong unitCrc = crc32(0, reinterpret_cast<const Bytef*>(unit.data()), static_cast<uInt>(unit.size()));
    for (std::uint32_t i = 0; i < inflatedMegabytes; ++i) {
        data += deflatedUnit;
        crc = static_cast<std::uint32_t>(crc32_combine(crc, unitCrc, static_cast<z_off_t>(unit.size())));
    }
    data += deflatedEnd;
    const auto inflated = static_cast<std::uint32_t>(head.size() + std::uint64_t{unit.size()} * inflatedMegabytes);
    return ZipOfDeflated("word/document.xml", data, crc, inflated);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace sample_docs
