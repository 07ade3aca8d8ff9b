/* A minimal custom kreller: passes files whose name ends with a given text.
 *
 * Condition text: line 1 the summary shown in the kreller list, line 2 the ending, e.g.
 *   "Names ending with .txt\r\n.txt\r\n"
 * A real plug-in would let the user edit the condition in a window of its own in SHOW_EDIT; this
 * one has no window and offers ".txt" when it has no condition yet.
 *
 * Build:  cc -shared -fPIC -fvisibility=hidden -I<FileKreller sources> example_kreller.c -o example_kreller.so
 * Install: copy example_kreller.so into custom_krellers/ and start FileKreller again.
 */
#include "plugins/crtr_interface.h"

#include <stdio.h>
#include <string.h>

/* The answer of the last call that builds one; FileKreller copies it before its next call. */
static char answer[1024];
/* Line 2 of the condition last loaded: the ending a passing file name has. */
static char ending[256];
static char condition[1024];

/* Copies text into a fixed buffer, cut to fit. */
static void CopyText(char* target, size_t size, const char* text)
{
    snprintf(target, size, "%s", text);
}

/* Line 2 of a condition text (lines end in CR LF, CR or LF), into ending. */
static void TakeEnding(const char* text)
{
    const char* line2 = strpbrk(text, "\r\n");
    ending[0] = '\0';
    if (!line2)
        return;
    line2 += (line2[0] == '\r' && line2[1] == '\n') ? 2 : 1;
    CopyText(ending, sizeof ending, line2);
    ending[strcspn(ending, "\r\n")] = '\0';
}

CRTR_EXPORT const char* INIT(const char* nothing) { (void)nothing; return CRTR_DONE; }
CRTR_EXPORT const char* SET_UP(const char* nothing) { (void)nothing; return CRTR_DONE; }
CRTR_EXPORT const char* SHUT_DOWN(const char* nothing) { (void)nothing; return CRTR_DONE; }
CRTR_EXPORT const char* GET_CRTR_NAME(const char* nothing) { (void)nothing; return "Example: names ending with"; }

/* No SHOW_FILE is exported, so FileKreller never asks this to show a file. */
CRTR_EXPORT const char* ACCEPT_FILE(const char* path) { (void)path; return CRTR_NO; }

CRTR_EXPORT const char* LOAD_CONDITION(const char* text)
{
    CopyText(condition, sizeof condition, text);
    TakeEnding(text);
    return CRTR_DONE;
}

CRTR_EXPORT const char* FILE_MEETS(const char* path)
{
    const size_t pathLength = strlen(path);
    const size_t endingLength = strlen(ending);
    if (endingLength == 0 || endingLength > pathLength)
        return CRTR_NO;
    return strcmp(path + pathLength - endingLength, ending) == 0 ? CRTR_YES : CRTR_NO;
}

CRTR_EXPORT const char* SHOW_EDIT(const char* nothing)
{
    (void)nothing;
    CopyText(answer, sizeof answer, ending[0] ? condition : "Names ending with .txt\r\n.txt\r\n");
    return answer;
}
