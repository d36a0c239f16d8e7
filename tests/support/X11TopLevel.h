#pragma once
// Finding a program's top-level window on an X display by its title, for
// tests and benchmarks that look at the window itself. Header only, so only
// its users link X11. Include it after every other header: Xlib defines short
// macros (None, Status) that clash with other headers.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

// Makes X errors harmless: a window of another process may go between
// listing it and reading its name, which Xlib's default handler would make
// fatal. Call once, before the first lookup.
inline void IgnoreXErrors() {
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

// A top-level window of `display` titled exactly `title`, or 0.
inline Window FindTopLevelByTitle(Display* display, const std::string& title) {
  Window root = DefaultRootWindow(display), parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
  for (unsigned index = 0; index < count && !found; ++index) {
    char* name = nullptr;
    if (XFetchName(display, children[index], &name) && name && title == name)
      found = children[index];
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return found;
}
