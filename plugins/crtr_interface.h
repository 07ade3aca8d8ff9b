/* FileKreller plug-in interface.
 *
 * A plug-in is a shared library (*.so) placed in one of two directories next to the program's bin/:
 *   custom_krellers/  a custom kreller: one more filter stage in the kreller chain;
 *   context_crtrs/    a context cartridge: turns files of the types it knows into text that the
 *                     Context kreller searches.
 *
 * Every export has the one signature TCrtrFunc: it takes one NUL-terminated string and answers one
 * NUL-terminated string. Texts are UTF-8 bytes; file arguments are full paths with '/' separators.
 *
 * Ownership
 *   - The argument belongs to FileKreller and is valid only during the call: copy what you keep.
 *   - The answer belongs to the plug-in. FileKreller copies it before it makes any further call into
 *     the plug-in, so answer a constant string or a string you keep at file scope and replace only
 *     on a later call. Never answer a null pointer (FileKreller takes one as the empty text).
 *   - Exports that carry no argument (INIT, SET_UP, SHUT_DOWN, GET_CRTR_NAME, SHOW_EDIT) are called
 *     with an empty string, never with a null pointer.
 *
 * Failures
 *   - No failure may cross the interface: catch every C++ exception inside each export and answer
 *     "N" (or the empty text) instead. A crash inside a plug-in takes FileKreller down with it.
 *
 * Answers FileKreller tests (compared exactly, case-sensitively)
 *   - ACCEPT_FILE, FILE_MEETS: "Y" means yes; every other answer ("y", "Yes", "") means no.
 *   - SHUT_DOWN: "WAIT" means "not finished, call again"; every other answer means finished.
 *   Answer "DONE" where the answer carries nothing, "N" for no.
 *
 * Calling order
 *   1. The library is loaded while the current directory is its plug-in directory.
 *   2. GET_CRTR_NAME, ACCEPT_FILE, INIT, SET_UP and SHUT_DOWN are looked up; a library lacking one
 *      is not a plug-in (only its SHUT_DOWN, if present, is called).
 *   3. INIT, once.
 *   4. The kind's own exports are looked up: GET_CONTEXT for a cartridge; FILE_MEETS,
 *      LOAD_CONDITION, SHOW_EDIT (required) and SHOW_FILE (optional) for a custom kreller.
 *   5. Then any of the calls below, one at a time, on the user interface thread.
 *   6. At close, SHUT_DOWN until it answers something other than "WAIT"; pending window events are
 *      processed between the calls, so a plug-in can let its windows be destroyed first.
 *
 * Text files (cartridges, optional)
 *   - A cartridge that exports GET_CONTEXT_FILE is asked it instead of GET_CONTEXT, so that a long
 *     text never has to be held in memory whole. The answer is three lines ended by LF but the
 *     last: how the text was made ("WHOLE", or "TIME LIMIT" or "SIZE LIMIT" when a limit stopped
 *     the conversion and the text is what came before), the byte offset in the file where the
 *     text starts, and the full path of the file it lies in; the text runs to the file's end. The
 *     file stays as it is until the next call into the plug-in. The empty answer: no text.
 *
 * Condition text (custom krellers): lines ended by CR LF (CR, LF or CR LF are accepted back).
 * Line 1 is the summary shown in the kreller list; an empty or blank summary means "no condition".
 * Lines 2 and on belong to the plug-in; FileKreller stores and returns them unchanged.
 */
#ifndef FILEKRELLER_CRTR_INTERFACE_H
#define FILEKRELLER_CRTR_INTERFACE_H

#ifdef __cplusplus
extern "C" {
#endif

/* The one signature of every export. */
typedef const char* (*TCrtrFunc)(const char* argument);

/* Marks a function as an export of the plug-in (default visibility, C linkage when used in C++). */
#if defined(__GNUC__)
#define CRTR_EXPORT __attribute__((visibility("default")))
#else
#define CRTR_EXPORT
#endif

/* Export names. */
#define CRTR_INIT "INIT"                     /* both: set up state and windows; answer ignored  */
#define CRTR_GET_CRTR_NAME "GET_CRTR_NAME"   /* both: display name                              */
#define CRTR_ACCEPT_FILE "ACCEPT_FILE"       /* both: "Y" = takes this file (cartridge: can turn
                                                it into text; kreller: SHOW_FILE can show it)   */
#define CRTR_SET_UP "SET_UP"                 /* both: show the plug-in's settings (cartridges)  */
#define CRTR_SHUT_DOWN "SHUT_DOWN"           /* both: "WAIT" = call again; else finished        */
#define CRTR_GET_CONTEXT "GET_CONTEXT"       /* cartridge: the file's text                      */
#define CRTR_FILE_MEETS "FILE_MEETS"         /* kreller: "Y" = the file passes                  */
#define CRTR_LOAD_CONDITION "LOAD_CONDITION" /* kreller: the condition text to use from now on  */
#define CRTR_SHOW_EDIT "SHOW_EDIT"           /* kreller: let the user edit; answer the new text */
#define CRTR_SHOW_FILE "SHOW_FILE"           /* kreller, optional: show the file its own way    */
#define CRTR_GET_CONTEXT_FILE "GET_CONTEXT_FILE" /* cartridge, optional: where the file's text
                                                    lies, see "Text files"                      */

/* Answers. */
#define CRTR_YES "Y"
#define CRTR_NO "N"
#define CRTR_DONE "DONE"
#define CRTR_WAIT "WAIT"
/* How a cartridge's text was made: the first line of GET_CONTEXT_FILE's answer. */
#define CRTR_TEXT_WHOLE "WHOLE"
#define CRTR_TEXT_TIME_LIMIT "TIME LIMIT"
#define CRTR_TEXT_SIZE_LIMIT "SIZE LIMIT"

#ifdef __cplusplus
}
#endif

#endif
