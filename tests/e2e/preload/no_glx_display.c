/* Preloaded into the game by a start-up test: GLX answers that no display is current, as it
 * now and then does on a loaded machine although the game's context is current and its GL
 * functions load. GLEW asks for that display through glXGetProcAddressARB. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stddef.h>
#include <string.h>

typedef void (*Function)(void);

static void* noCurrentDisplay(void) {
    return NULL;
}

Function glXGetProcAddressARB(const unsigned char* name) {
    if (strcmp((const char*)name, "glXGetCurrentDisplay") == 0) {
        return (Function)noCurrentDisplay;
    }
    Function (*next)(const unsigned char*) =
        (Function(*)(const unsigned char*))dlsym(RTLD_NEXT, "glXGetProcAddressARB");
    return next != NULL ? next(name) : NULL;
}
