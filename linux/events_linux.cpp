#include "linux/events_linux.h"

#include "app/art_state.h"
#include "app/input.h"
#include "app/keys.h"
#include "app/platform.h"
#include "app/startup.h"
#include "linux/shell_linux.h"

namespace {

struct KeyMapping {
    SDL_Keycode sdl;
    int core;
};

// The keys the core answers to whose SDL code differs from its own. The digits 1..9
// of the main keyboard have the same code in both (ASCII); the numeric pad's do not
// and stay unknown, as on Windows.
constexpr KeyMapping KeyTable[] = {
    {SDLK_RETURN, kKeyEnter},           {SDLK_KP_ENTER, kKeyEnter},
    {SDLK_ESCAPE, kKeyEscape},          {SDLK_SPACE, kKeySpace},
    {SDLK_b, kKeyB},                    {SDLK_h, kKeyH},
    {SDLK_p, kKeyP},                    {SDLK_q, kKeyQ},
    {SDLK_r, kKeyR},                    {SDLK_s, kKeyS},
    {SDLK_v, kKeyV},                    {SDLK_x, kKeyX},
    {SDLK_KP_PLUS, kKeyPadPlus},        {SDLK_KP_MINUS, kKeyPadMinus},
    {SDLK_F1, kKeyF1},                  {SDLK_F11, kKeyF11},
    {SDLK_F12, kKeyF12},                {SDLK_EQUALS, kKeyPlus},
    {SDLK_PLUS, kKeyPlus},              {SDLK_MINUS, kKeyMinus},
    {SDLK_LEFTBRACKET, kKeyOpenBracket}, {SDLK_RIGHTBRACKET, kKeyCloseBracket},
};

void OnKey(const SDL_KeyboardEvent& key) {
    const Uint16 mods = key.keysym.mod;
    // With Alt, and F10, Windows sends system keys, which the program never sees.
    if ((mods & KMOD_ALT) || key.keysym.sym == SDLK_F10) return;
    const int core = CoreKeyOf(key.keysym.sym);
    // The state a new palette is made from goes into the snapshot's recipe.
    if (core == kKeyEnter || core == kKeyP) shell.paletteState = art.randomState;
    HandleKey(core, (mods & KMOD_CTRL) != 0, (mods & KMOD_SHIFT) != 0);
}

void OnButton(const SDL_MouseButtonEvent& button) {
    if (button.button == SDL_BUTTON_LEFT) HandleLeftButton();
    if (button.button == SDL_BUTTON_RIGHT) HandleRightButton();
}

// One notch is 120, as a wheel message's delta; a sideways turn means nothing here.
void OnWheel(const SDL_MouseWheelEvent& wheel) {
    const int notches = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
    if (notches != 0) HandleWheel(notches * 120);
}

void OnWindow(const SDL_WindowEvent& window) {
    if (window.event == SDL_WINDOWEVENT_EXPOSED || window.event == SDL_WINDOWEVENT_SIZE_CHANGED) shell.exposed = 1;
}

}  // namespace

int CoreKeyOf(SDL_Keycode key) {
    if (key >= SDLK_1 && key <= SDLK_9) return kKeyDigit1 + (key - SDLK_1);
    for (const KeyMapping& m : KeyTable) {
        if (m.sdl == key) return m.core;
    }
    return 0;
}

void DispatchEvent(const SDL_Event& e) {
    EnterCore();
    switch (e.type) {
        case SDL_QUIT: PlatformPostQuit(kExitNormal); break;  // the window was closed
        case SDL_KEYDOWN: OnKey(e.key); break;
        case SDL_MOUSEBUTTONDOWN: OnButton(e.button); break;
        case SDL_MOUSEWHEEL: OnWheel(e.wheel); break;
        case SDL_WINDOWEVENT: OnWindow(e.window); break;
        default: break;
    }
    LeaveCore();
}
