// Writes the seed corpus of the document fuzz targets: doc_corpus <pdf folder> <office folder>.
#include "cartridges/sample_docs/SampleDocs.h"

#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    namespace fs = std::filesystem;
    using namespace sample_docs;
    fs::create_directories(argv[1]);
    fs::create_directories(argv[2]);
    const std::string pdfs = std::string(argv[1]) + "/";
    const std::string office = std::string(argv[2]) + "/";
    WriteFile(pdfs + "two_pages.pdf", Pdf({{"first page", "(brackets) \\ backslash"}, {"second page"}}));
    WriteFile(pdfs + "loop.pdf", PdfWithPageTreeLoop({"loop"}));
    const Lines paragraphs{"one & two", "three <four>"};
    WriteFile(office + "a.docx", Docx(paragraphs));
    WriteFile(office + "a.xlsx", Xlsx(paragraphs));
    WriteFile(office + "a.pptx", Pptx(paragraphs));
    WriteFile(office + "a.odt", Odt(paragraphs));
    WriteFile(office + "a.ods", Ods(paragraphs));
    WriteFile(office + "a.odp", Odp(paragraphs));
    WriteFile(office + "a.epub", Epub(paragraphs));
    return 0;
}
