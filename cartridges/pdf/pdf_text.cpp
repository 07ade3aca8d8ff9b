// The "PDF text" context cartridge.
#include "cartridges/common/Cartridge.h"

const CartridgeDescription& ThisCartridgeDescription()
{
    static const CartridgeDescription description{"PDF text", "pdf_text", "pdf_text_convert", {"pdf"}, "%PDF-",
                                    "PDF documents (.pdf), the text of every page in reading order."};
    return description;
}
