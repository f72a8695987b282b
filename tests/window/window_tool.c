/* What a window manager and other programs do to the program's window, for
 * the real-window test under Xvfb (no window manager, so top-level windows
 * are the root's children):
 *   window_tool close TITLE   asks the window with that title to close
 *                             (WM_DELETE_WINDOW), as a close button does;
 *   window_tool cover         covers the screen with a magenta window that
 *                             takes the keyboard focus, removes it after half
 *                             a second and leaves no window focused, so the
 *                             program is uncovered while in the background.
 * Exit code 0 when done. */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <X11/Xlib.h>

static int Close(Display* display, const char* title) {
    Window root, parent, *children = NULL, window = 0;
    unsigned int count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count && !window; ++i) {
        char* name = NULL;
        if (XFetchName(display, children[i], &name) && name) {
            if (strcmp(name, title) == 0) window = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    if (!window) {
        fprintf(stderr, "no window titled %s\n", title);
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
    return 0;
}

static int Cover(Display* display) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes = {.override_redirect = True, .background_pixel = 0xFF00FF};
    Window cover = XCreateWindow(display, RootWindow(display, screen), 0, 0, DisplayWidth(display, screen),
                                 DisplayHeight(display, screen), 0, CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, cover);
    XSync(display, False);
    XSetInputFocus(display, cover, RevertToNone, CurrentTime);
    XSync(display, False);
    usleep(500 * 1000);
    XSetInputFocus(display, None, RevertToNone, CurrentTime);
    XDestroyWindow(display, cover);
    XSync(display, False);
    return 0;
}

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(NULL);
    if (!display) return 1;
    int code = 2;
    if (argc == 3 && strcmp(argv[1], "close") == 0) code = Close(display, argv[2]);
    else if (argc == 2 && strcmp(argv[1], "cover") == 0) code = Cover(display);
    else fprintf(stderr, "usage: window_tool close TITLE | window_tool cover\n");
    XCloseDisplay(display);
    return code;
}
