// The "Office documents" context cartridge.
#include "cartridges/common/Cartridge.h"

const CartridgeDescription& ThisCartridgeDescription()
{
    static const CartridgeDescription description{
        "Office documents",
        "office_text",
        "office_text_convert",
        {"odt", "ods", "odp", "docx", "xlsx", "pptx", "epub"},
        std::string("PK\x03\x04", 4),
        "OpenDocument texts, spreadsheets and presentations (.odt, .ods, .odp), Office Open XML documents "
        "(.docx, .xlsx, .pptx) and e-books (.epub)."};
    return description;
}
