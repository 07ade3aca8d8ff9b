// Converter program of the "Office documents" cartridge: office_text_convert <file>, the text on stdout.
#include "OfficeText.h"
#include "cartridges/common/ConverterMain.h"

int main(int argc, char** argv)
{
    return ConverterMain(argc, argv, OfficeTextOfFile);
}
