/* What a window manager and other programs do to the program's window, for
 * the real-window test under Xvfb (no window manager):
 *   window_tool close WINDOW  asks the window with that id to close
 *                             (WM_DELETE_WINDOW), as a close button does;
 *   window_tool cover         covers the screen with a magenta window that
 *                             takes the keyboard focus, removes it after half
 *                             a second and leaves no window focused, so the
 *                             program is uncovered while in the background.
 * Exit code 0 when done. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <X11/Xlib.h>

static void Close(Display* display, Window window) {
    XEvent event = {.xclient = {.type = ClientMessage, .window = window, .format = 32,
                                .message_type = XInternAtom(display, "WM_PROTOCOLS", False)}};
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

static void Cover(Display* display) {
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
}

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(NULL);
    if (!display) return 1;
    int code = 0;
    if (argc == 3 && strcmp(argv[1], "close") == 0) Close(display, strtoul(argv[2], NULL, 0));
    else if (argc == 2 && strcmp(argv[1], "cover") == 0) Cover(display);
    else {
        fprintf(stderr, "usage: window_tool close WINDOW | window_tool cover\n");
        code = 2;
    }
    XCloseDisplay(display);
    return code;
}
