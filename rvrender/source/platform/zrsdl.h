// What the SDL implementation files of the platform layer share. Included by *_sdl.cpp only:
// nothing above the platform layer sees SDL.
#pragma once

#include <SDL.h>

#include "zrglcontext.h"

class zrWindow;

// The window's SDL window, or null.
SDL_Window* zrSDLWindow(const zrWindow* window);

// Hands the buffer sizes to SDL, which reads them when it makes a window (its visual) or a
// context.
void zrSDLApplyBuffers(const zrGLBuffers& buffers);

// Tells the input module that the keyboard layout changed, so that letters are looked up anew.
void zrSDLKeymapChanged();
