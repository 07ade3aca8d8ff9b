// The file side of TNoxPigger, apart from the rest so that the document can be built without the
// platform's file layer (the fuzz targets do).
#include "tagged/NoxPigger.h"

#include "platform/Files.h"

void TNoxPigger::SaveToFile(const std::string& fileName) const
{
    platform::WriteFileAtomically(fileName, GetAsText());
}

void TNoxPigger::LoadFromFile(const std::string& fileName)
{
    LoadFromBytes(platform::ReadWholeFile(fileName));
}
