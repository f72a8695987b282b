/* Asks the top-level window with the given title to close, as a window
 * manager's close button does (WM_DELETE_WINDOW), so the program can exit on
 * its own. Exit code 0 when the request was sent. */
#include <stdio.h>
#include <string.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

static Window FindByTitle(Display* display, Window window, const char* title) {
    char* name = NULL;
    if (XFetchName(display, window, &name) && name) {
        int same = strcmp(name, title) == 0;
        XFree(name);
        if (same) return window;
    }
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) found = FindByTitle(display, children[i], title);
        if (children) XFree(children);
    }
    return found;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: close_window TITLE\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) return 1;
    Window window = FindByTitle(display, DefaultRootWindow(display), argv[1]);
    if (!window) {
        fprintf(stderr, "no window titled %s\n", argv[1]);
        return 1;
    }
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
