// What the viewer's end-to-end test needs from the X server beyond xdotool:
// finding a window by its title (SDL writes titles as UTF-8, which xdotool's
// search does not read), asking a window to close as a window manager's close
// button does, dropping a file onto a window as a file manager does, taking
// screenshots, and comparing them.
//
//   x_probe find TITLE TIMEOUT_MS      prints "ID X Y WIDTH HEIGHT" of the
//                                      mapped top-level window titled TITLE
//   x_probe close ID                   sends WM_DELETE_WINDOW to window ID
//   x_probe drop ID PATH               drags PATH (absolute) over the middle
//                                      of window ID and drops it there
//   x_probe shot FILE.png X Y W H      saves that part of the screen
//   x_probe lit FILE.png               prints the number of non-black pixels
//   x_probe diff A.png B.png           prints the number of differing pixels
//
// Exit status 0 on success, 1 when the window or file is not there, 2 on usage.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "offscreen/png_io.h"
#include "tools/picture_compare.h"

namespace {

// Windows come and go while the probe looks at them (a box closes, the viewer
// ends); asking about a window that has just gone is no failure of the probe.
int IgnoreXError(Display*, XErrorEvent*) {
  return 0;
}

std::string WindowTitle(Display* display, Window window) {
  for (const Atom property : {XInternAtom(display, "_NET_WM_NAME", False), Atom{XA_WM_NAME}}) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success ||
        data == nullptr) {
      continue;
    }
    const std::string title = format == 8 ? std::string(reinterpret_cast<char*>(data), count) : "";
    XFree(data);
    if (!title.empty()) return title;
  }
  return {};
}

int Find(Display* display, const std::string& title, long timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count; ++i) {
      XWindowAttributes a;
      if (XGetWindowAttributes(display, children[i], &a) == 0 || a.map_state != IsViewable ||
          WindowTitle(display, children[i]) != title) {
        continue;
      }
      std::printf("%lu %d %d %d %d\n", children[i], a.x, a.y, a.width, a.height);
      XFree(children);
      return 0;
    }
    if (children != nullptr) XFree(children);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  std::fprintf(stderr, "no window titled '%s'\n", title.c_str());
  return 1;
}

int Close(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return 0;
}

// PATH as a file URI, every byte but the unreserved ones and '/' escaped.
std::string FileUri(const std::string& path) {
  std::string uri = "file://";
  for (const unsigned char c : path) {
    if (std::isalnum(c) != 0 || std::strchr("/-._~", c) != nullptr) {
      uri += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri;
}

// The source's side of the X drag-and-drop protocol (XDND): offer the path as
// text/uri-list, move over the window, drop when the window accepts, hand the
// data over when the window asks for the selection, and wait for the window
// to say it has finished. Fails when the window refuses or falls silent (a
// window that takes no drops never answers).
int Drop(Display* display, Window target, const std::string& path) {
  const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
  const Atom uriList = atom("text/uri-list"), selection = atom("XdndSelection");
  const Window root = DefaultRootWindow(display);
  const Window source = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(display, selection, source, CurrentTime);
  const auto send = [&](const char* message, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = atom(message);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(source);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
  };
  XWindowAttributes a;
  XGetWindowAttributes(display, target, &a);
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display, target, root, a.width / 2, a.height / 2, &x, &y, &child);
  send("XdndEnter", 5L << 24, static_cast<long>(uriList), None, None);
  send("XdndPosition", 0, (static_cast<long>(x) << 16) | y, CurrentTime,
       static_cast<long>(atom("XdndActionCopy")));
  const std::string uris = FileUri(path) + "\r\n";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (XPending(display) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == SelectionRequest) {
      const XSelectionRequestEvent& request = event.xselectionrequest;
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = request.requestor;
      reply.xselection.selection = request.selection;
      reply.xselection.target = request.target;
      reply.xselection.time = request.time;
      reply.xselection.property = None;
      if (request.target == uriList) {
        XChangeProperty(display, request.requestor, request.property, uriList, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(uris.data()),
                        static_cast<int>(uris.size()));
        reply.xselection.property = request.property;
      }
      XSendEvent(display, request.requestor, False, NoEventMask, &reply);
      XFlush(display);
    } else if (event.type == ClientMessage && event.xclient.message_type == atom("XdndStatus")) {
      if ((event.xclient.data.l[1] & 1) == 0) break;  // refused
      send("XdndDrop", 0, CurrentTime, 0, 0);
    } else if (event.type == ClientMessage && event.xclient.message_type == atom("XdndFinished")) {
      XDestroyWindow(display, source);
      return 0;
    }
  }
  std::fprintf(stderr, "window %lu refused the drop or did not finish it within 5 s\n", target);
  return 1;
}

int Shot(Display* display, const char* file, int x, int y, int width, int height) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return 1;
  RgbPicture picture{width, height, {}};
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const unsigned long pixel = XGetPixel(image, column, row);
      for (const int shift : {16, 8, 0}) {
        picture.pixels.push_back(static_cast<std::uint8_t>(pixel >> shift));
      }
    }
  }
  XDestroyImage(image);
  std::string error;
  if (WritePng(file, picture, &error)) return 0;
  std::fprintf(stderr, "%s\n", error.c_str());
  return 1;
}

// Prints how many pixels of `first` differ from those of `second` (from black
// when `second` is null); all of them when the sizes differ.
int CountDiffering(const char* first, const char* second) {
  RgbPicture a, b;
  if (!ReadPng(first, a) || (second != nullptr && !ReadPng(second, b))) {
    std::fprintf(stderr, "cannot read %s or %s\n", first, second != nullptr ? second : "");
    return 1;
  }
  if (second == nullptr) b = {a.width, a.height, std::vector<std::uint8_t>(a.pixels.size())};
  std::printf("%llu\n", static_cast<unsigned long long>(ComparePictures(a, b, 0).differing));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "lit" && argc == 3) return CountDiffering(argv[2], nullptr);
  if (command == "diff" && argc == 4) return CountDiffering(argv[2], argv[3]);

  // A busy X server can refuse a connection for a moment; ask again.
  Display* display = XOpenDisplay(nullptr);
  for (int attempt = 0; display == nullptr && attempt < 20; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    display = XOpenDisplay(nullptr);
  }
  if (display == nullptr) {
    std::fprintf(stderr, "cannot open the X display\n");
    return 1;
  }
  XSetErrorHandler(IgnoreXError);
  const auto number = [&](int i) { return std::strtol(argv[i], nullptr, 10); };
  int result = 2;
  if (command == "find" && argc == 4) {
    result = Find(display, argv[2], number(3));
  } else if (command == "close" && argc == 3) {
    result = Close(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 10)));
  } else if (command == "drop" && argc == 4) {
    result = Drop(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 10)), argv[3]);
  } else if (command == "shot" && argc == 7) {
    result = Shot(display, argv[2], static_cast<int>(number(3)), static_cast<int>(number(4)),
                  static_cast<int>(number(5)), static_cast<int>(number(6)));
  } else {
    std::fprintf(stderr, "usage: x_probe find|close|drop|shot|lit|diff ...\n");
  }
  XCloseDisplay(display);
  return result;
}
