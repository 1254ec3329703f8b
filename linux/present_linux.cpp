// The frame reaches the window in one of two ways:
// - On X11, through the window's own framebuffer: an image SDL shows through shared
//   memory (MIT-SHM). A tick copies the frame into it once. SDL's renderer would copy
//   it twice (into a texture, then into this same image), and its OpenGL default draws
//   in software wherever there is no GPU driver, at five to ten times the cost.
// - Elsewhere (Wayland), or when SDL_RENDER_DRIVER asks for a renderer, through an
//   SDL renderer and a streaming texture.
// Either way the pixels go as the core made them (0x00RRGGBB is SDL's RGB888), fitted
// into a window of another size by dropping or repeating pixels so the colours stay
// exact, with black bars around.
#include "linux/present_linux.h"

#include "app/art_state.h"
#include "app/frame.h"

namespace {

SDL_Window* target = nullptr;
// The framebuffer way: the frame's pixels as SDL sees them, for its blits.
SDL_Surface* frame = nullptr;
SDL_Surface* lastScreen = nullptr;  // the framebuffer painted last
// The renderer way.
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;

bool UsesFramebuffer() {
    const char* asked = SDL_getenv("SDL_RENDER_DRIVER");
    return SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0 && !(asked && asked[0]);
}

void PresentOnFramebuffer(bool frameChanged, bool exposed) {
    // A resized window has a new framebuffer; this is where SDL makes it.
    SDL_Surface* screen = SDL_GetWindowSurface(target);
    if (!screen) return;
    const FrameFit fit = FitFrame(screen->w, screen->h, art.canvasWidth, art.canvasHeight);
    const bool repaint = exposed || screen != lastScreen;
    if (repaint && (!fit.unscaled || !frame)) SDL_FillRect(screen, nullptr, 0);
    lastScreen = screen;
    if (frame && (frameChanged || repaint)) {
        SDL_Rect place = {fit.x0, fit.y0, fit.dw, fit.dh};
        if (fit.unscaled) {
            SDL_BlitSurface(frame, nullptr, screen, &place);
        } else {
            SDL_BlitScaled(frame, nullptr, screen, &place);  // nearest pixel
        }
    }
    if (SDL_UpdateWindowSurface(target) != 0) lastScreen = nullptr;  // painted afresh next time
}

void PresentThroughRenderer(bool frameChanged) {
    if (frameChanged && art.dibPixels) SDL_UpdateTexture(texture, nullptr, art.dibPixels, art.canvasWidth * 4);
    int cw = 0, ch = 0;
    SDL_GetRendererOutputSize(renderer, &cw, &ch);
    const FrameFit fit = FitFrame(cw, ch, art.canvasWidth, art.canvasHeight);
    // The bars are black; a frame that covers everything needs no clearing first.
    if (!fit.unscaled || !art.dibPixels) {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
    }
    if (art.dibPixels) {
        const SDL_Rect place = {fit.x0, fit.y0, fit.dw, fit.dh};
        SDL_RenderCopy(renderer, texture, nullptr, &place);
    }
    SDL_RenderPresent(renderer);
}

}  // namespace

bool OpenPresenter(SDL_Window* window) {
    target = window;
    if (UsesFramebuffer()) {
        if (!SDL_GetWindowSurface(window)) return false;
        // Without the frame's memory the window stays black, as the Windows program
        // without its frame bitmap.
        if (art.dibPixels) {
            frame = SDL_CreateRGBSurfaceWithFormatFrom(art.dibPixels, art.canvasWidth, art.canvasHeight, 32,
                                                       art.canvasWidth * 4, SDL_PIXELFORMAT_RGB888);
            if (!frame) return false;
            SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
        }
        return true;
    }
    renderer = SDL_CreateRenderer(window, -1, 0);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) return false;
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, art.canvasWidth,
                                art.canvasHeight);
    return texture != nullptr;
}

void PresentFrame(bool frameChanged, bool exposed) {
    if (renderer) {
        PresentThroughRenderer(frameChanged);
    } else if (target) {
        PresentOnFramebuffer(frameChanged, exposed);
    }
}

void ClosePresenter() {
    if (frame) SDL_FreeSurface(frame);  // the pixels stay the core's
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    frame = nullptr;
    lastScreen = nullptr;
    texture = nullptr;
    renderer = nullptr;
    target = nullptr;
}
