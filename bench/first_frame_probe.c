/* Preloaded into the Linux program by measure_start_and_idle.sh: prints, on
 * standard error, the wall-clock time of the first buffer swap, that is of the
 * first frame on screen. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

void SDL_GL_SwapWindow(void* window) {
    static int swapped = 0;
    static void (*real)(void*) = NULL;
    if (!real) real = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    real(window);
    if (!swapped) {
        swapped = 1;
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        fprintf(stderr, "first-frame %ld.%09ld\n", (long)now.tv_sec, now.tv_nsec);
    }
}
