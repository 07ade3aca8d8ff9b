#pragma once

namespace platform {

// Memory a search frees at its end is kept for the next search instead of being handed back to
// the system at once: the next search would otherwise have every page of it zeroed and mapped
// anew, on the walk's thread and on every worker. What is kept never exceeds what the searches
// used at their peak. Called once, at the start of the program.
void KeepFreedMemoryForReuse();

} // namespace platform
