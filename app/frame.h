// One frame of the demo, run whenever the window's frame pacing releases one: input handling,
// the current model's animation, the light's orbit step, drawing.
//
// Key bindings (virtual-key codes; letters in lower case, folded by the input module):
// Alt+Enter full screen, C light on camera / released, F frames per second into the title,
// M switch models, Q wireframe, B the rig view, T the frame's costs under the help, W S A D move
// forward, back, left, right, Page Up / Page Down move up / down (world y), the mouse turns the
// view. Escape is the window's own. The shown character's time: Space pauses and resumes, '.' and
// ',' step one key frame on and back (pausing first), '+' or '=' (and keypad +) double the speed up
// to 8 times, '-' (and keypad -) halve it down to an eighth.
#pragma once

#include "appplatform.h"
#include "zrkeys.h"

// Frame-loop state (process-wide, single-threaded).
extern zrPoint gMouseCentre;    // client point the cursor is pinned to; (400, 300) at first
extern float gLightTimer;       // seconds gathered towards the next orbit step
extern float gLightStepTime;    // seconds between two orbit steps: 1/30
extern float gMoveSpeed;        // camera movement, world units per second: 20
extern float gMouseSensitivity; // degrees of turn per pixel of mouse movement: 0.2
extern bool gAnimationPaused;   // the shown character's time stands still; starts false
extern float gAnimationSpeed;   // its time runs this many times as fast: 1/8…8, starts 1

// The demo's letter keys, in lower case (the input module folds them); Alt+Enter, Page Up and
// Page Down are the named keys of zrkeys.h.
constexpr int kKeyLight = 'c';
constexpr int kKeyFPS = 'f';
constexpr int kKeySwitchModel = 'm';
constexpr int kKeyWireframe = 'q';
constexpr int kKeyCosts = 't';
constexpr int kKeyRig = 'b';
constexpr int kKeyForward = 'w';
constexpr int kKeyBackward = 's';
constexpr int kKeyStrafeLeft = 'a';
constexpr int kKeyStrafeRight = 'd';
constexpr float kMaxAnimationSpeed = 8.0f;
constexpr float kMinAnimationSpeed = 1.0f / 8.0f;

// Acts on the keys and the mouse, in this order: Alt+Enter (Alt tested first, so that Enter's
// delay is not used up while Alt is released), the second input poll of the frame, C, F, M, Q,
// B, T, the time keys, the six movement keys, mouse look, and the cursor warp back to gMouseCentre.
// Every camera
// change is handed to the renderer at once. Preconditions: gAppPlatform, gRender and gCamera set.
void handleInput();

// Adds the frame time to gLightTimer; once it is strictly above gLightStepTime, the angle
// advances one degree (after 360 comes 0) and the timer restarts at 0. The time beyond the step
// is dropped, so the orbit moves at most one degree per frame.
void stepLightOrbit(float frameTime);

// One released frame: handleInput, the current model's update by the frame time, the orbit
// step, and drawSceneGL or drawSceneD3D.
void runFrame();
