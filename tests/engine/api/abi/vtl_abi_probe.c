/* Loads libvortalux.so with dlopen and drives it through its C interface only, as a program in
 * another language would: vortalux_abi_probe LIBRARY MODE, where MODE is "version", "url" or
 * "list". Prints the version for "version"; the engine's own output goes where it goes. */
#include "vortalux.h"

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

typedef vtl_engine* (*CreateFunction)(void);
typedef void (*AddUrlFunction)(vtl_engine*, const char*, const char*, const char*);
typedef void (*AddUrlListFunction)(vtl_engine*, const char* const*, size_t);
typedef const char* (*VersionFunction)(vtl_engine*);
typedef void (*ReleaseFunction)(vtl_engine*);

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: vortalux_abi_probe LIBRARY version|url|list\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "dlopen: %s\n", dlerror());
        return 1;
    }
    CreateFunction create = (CreateFunction)dlsym(library, "vtl_create");
    AddUrlFunction addUrl = (AddUrlFunction)dlsym(library, "vtl_add_url");
    AddUrlListFunction addUrlList = (AddUrlListFunction)dlsym(library, "vtl_add_url_list");
    VersionFunction version = (VersionFunction)dlsym(library, "vtl_version");
    ReleaseFunction release = (ReleaseFunction)dlsym(library, "vtl_release");
    if (!create || !addUrl || !addUrlList || !version || !release) {
        fprintf(stderr, "missing symbol: %s\n", dlerror());
        return 1;
    }

    vtl_engine* engine = create();
    if (engine == NULL)
        return 1;
    if (strcmp(argv[2], "version") == 0) {
        printf("%s\n", version(engine));
    } else if (strcmp(argv[2], "url") == 0) {
        addUrl(engine, "http://pics.example/a/cat_thumb.jpg", NULL, "http://forum.example/thread");
    } else {
        const char* list[] = {"http://forum.example/thread", "http://pics.example/a/cat_thumb.jpg", "cat",
            "http://other.example/b/dog.png", ""};
        addUrlList(engine, list, sizeof list / sizeof list[0]);
    }
    release(engine);
    /* A second engine after the first is gone: the library cleans up after itself. */
    engine = create();
    printf("again %s\n", version(engine));
    release(engine);
    dlclose(library);
    return 0;
}
