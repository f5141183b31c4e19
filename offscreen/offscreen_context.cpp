#include "offscreen/offscreen_context.h"

#include "offscreen/framebuffer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

namespace {

void SetError(std::string* error, const char* what) {
  if (error != nullptr) *error = what;
}

EGLDisplay SurfacelessDisplay() {
  const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) return EGL_NO_DISPLAY;
  return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

}  // namespace

std::unique_ptr<OffscreenContext> OffscreenContext::Create(int width, int height,
                                                           std::string* error) {
  std::unique_ptr<OffscreenContext> context(new OffscreenContext());
  context->width_ = width;
  context->height_ = height;

  EGLDisplay display = SurfacelessDisplay();
  if (display == EGL_NO_DISPLAY) {
    SetError(error, "no EGL surfaceless display (is Mesa's EGL installed?)");
    return nullptr;
  }
  if (!eglInitialize(display, nullptr, nullptr)) {
    SetError(error, "cannot initialise the EGL display");
    return nullptr;
  }
  context->display_ = display;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    SetError(error, "EGL offers no desktop OpenGL");
    return nullptr;
  }

  const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                     EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_ALPHA_SIZE,
                                     8,
                                     EGL_DEPTH_SIZE,
                                     16,
                                     EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configCount = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1) {
    SetError(error, "no EGL configuration with RGBA colour, depth and pbuffers");
    return nullptr;
  }

  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  if (surface == EGL_NO_SURFACE) {
    SetError(error, "cannot create the off-screen surface");
    return nullptr;
  }
  context->surface_ = surface;

  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  EGLContext glContext = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (glContext == EGL_NO_CONTEXT) {
    SetError(error, "cannot create an OpenGL compatibility context");
    return nullptr;
  }
  context->context_ = glContext;
  if (!context->MakeCurrent()) {
    SetError(error, "cannot make the OpenGL context current");
    return nullptr;
  }
  glViewport(0, 0, width, height);
  return context;
}

OffscreenContext::~OffscreenContext() {
  if (display_ == nullptr) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_ != nullptr) eglDestroyContext(display_, context_);
  if (surface_ != nullptr) eglDestroySurface(display_, surface_);
  // The display is not terminated: Mesa would unload its driver, and a later
  // context in the same process would have to load it again.
}

bool OffscreenContext::MakeCurrent() {
  return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
}

std::vector<std::uint8_t> OffscreenContext::ReadRgbTopDown() const {
  return ReadFramebufferTopDown(width_, height_).pixels;
}
