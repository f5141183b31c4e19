// The morvane program: the viewer on the SDL platform, run in the current
// working directory, which holds the scene's three text files.
#include "app/platform_sdl.h"
#include "app/viewer.h"

int main() {
  auto platform = CreateSdlPlatform();
  return RunViewer(*platform);
}
