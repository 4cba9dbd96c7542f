/* The engine's C interface, for programs in any language that load libvortalux.so.
 *
 * Strings are NUL-terminated byte strings (UTF-8 or any single-byte text; the engine never
 * decodes them for its work); a NULL string counts as the empty one. Each call blocks until its
 * windows are closed and its links handed over; problems are shown to the user, never returned.
 * Use one engine from one thread.
 *
 *   vtl_engine* engine = vtl_create();
 *   const char* list[] = {"http://forum/thread", "http://host/a.jpg", "first", "http://host/b.jpg", ""};
 *   vtl_add_url_list(engine, list, 5);
 *   vtl_release(engine);
 */
#ifndef VORTALUX_H
#define VORTALUX_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vtl_engine vtl_engine;

/* A new engine object; NULL only when memory runs out. */
vtl_engine* vtl_create(void);

/* Converts one link and hands it to the default download manager; `desc` is the link's text,
 * `referer` the page it was found on. */
void vtl_add_url(vtl_engine* engine, const char* url, const char* desc, const char* referer);

/* A page's links for the user to choose from: list[0] is the page's address, then each link's
 * URL and description alternate (list[1], list[2], ...); `count` is the number of elements. */
void vtl_add_url_list(vtl_engine* engine, const char* const* list, size_t count);

/* The engine's version, "major.minor.revision"; valid until vtl_release of this engine. */
const char* vtl_version(vtl_engine* engine);

/* Ends the engine object; NULL is ignored. */
void vtl_release(vtl_engine* engine);

#ifdef __cplusplus
}
#endif

#endif
