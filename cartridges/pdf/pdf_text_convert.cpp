// Converter program of the "PDF text" cartridge: pdf_text_convert <file>, the text on stdout.
#include "PdfText.h"
#include "cartridges/common/ConverterMain.h"

int main(int argc, char** argv)
{
    return ConverterMain(argc, argv, PdfTextOfFile);
}
