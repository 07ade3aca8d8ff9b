#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/found_rows.h"

// The column captions, in the order of TFoundColumn.
std::string FoundColumnCaption(TFoundColumn column);
// Whether the user may hide the column; the first four are always shown.
bool IsOptionalFoundColumn(TFoundColumn column);

// A file time as date and time of day ("<short date> HH:MM"), in UTC like the Date column.
std::string DateTimeText(std::uint64_t fileTime);
// The permission bits as ls shows them, with the type first: "-rw-r--r--", "drwxr-xr-x".
std::string PermissionsText(std::uint32_t mode);
// The part of the name after its last dot; empty for none and for a name that starts with its
// only dot (".profile").
std::string_view ExtensionOf(std::string_view name);

// The text a cell of the optional columns and of the name and path columns shows: name and path
// are the exact bytes. Size and Date are the list's own (empty here).
std::string FoundCellText(const TFoundRow& row, TFoundColumn column);

// Which optional columns are shown, as the settings keep it: their captions separated by ';'.
std::string ShownColumnsText(const std::vector<TFoundColumn>& shown);
// Unknown captions are left out; a damaged text shows no optional column.
std::vector<TFoundColumn> ParseShownColumns(std::string_view text);
