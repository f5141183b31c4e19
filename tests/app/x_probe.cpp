// What the viewer's end-to-end test needs from the X server beyond xdotool:
// finding a window by its title (SDL writes titles as UTF-8, which xdotool's
// search does not read), asking a window to close as a window manager's close
// button does, taking screenshots, and comparing them.
//
//   x_probe find TITLE TIMEOUT_MS      prints "ID X Y WIDTH HEIGHT" of the
//                                      mapped top-level window titled TITLE
//   x_probe close ID                   sends WM_DELETE_WINDOW to window ID
//   x_probe shot FILE.png X Y W H      saves that part of the screen
//   x_probe lit FILE.png               prints the number of non-black pixels
//   x_probe diff A.png B.png           prints the number of differing pixels
//
// Exit status 0 on success, 1 when the window or file is not there, 2 on usage.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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
  } else if (command == "shot" && argc == 7) {
    result = Shot(display, argv[2], static_cast<int>(number(3)), static_cast<int>(number(4)),
                  static_cast<int>(number(5)), static_cast<int>(number(6)));
  } else {
    std::fprintf(stderr, "usage: x_probe find|close|shot|lit|diff ...\n");
  }
  XCloseDisplay(display);
  return result;
}
