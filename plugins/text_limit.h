#pragma once

// Whether a file's text is the whole of it, or which limit stopped the making of the text early
// (a converter's time limit, or a limit on its size or memory), so that only a part was searched.
enum class TTextLimit { None, Time, Size };
