// Quellbrand on SDL 2, for today's Linux handhelds: full screen at the display's size, the picture
// scaled by whole pixels and centred on black (turned where the panel is), a game controller's
// buttons as the handheld's, the heard song clock.
#include "demo/frame.h"
#include "demo/present.h"
#include "demo/scale.h"
#include "demo/startup.h"
#include "host/sdl/quiet_stderr.h"
#include "host/sdl/sdl_audio.h"
#include "host/sdl/session.h"
#include "host/sdl2/input.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char *const caption = "Quellbrand by Tessaline & Vek";

SDL_Window *window = nullptr;
SDL_Renderer *renderer = nullptr;
SDL_Texture *texture = nullptr;
SDL_Rect picture = {0, 0, screen_width, screen_height};
double rotation = 0;
uint16_t frame[screen_height][screen_width]; // the bands stay black

// QUELLBRAND_ROTATION: the panel's turn, 0, 90, 180 or 270 degrees clockwise; the picture is
// turned back as it is drawn.
int rotation_degrees() {
    const char *value = std::getenv("QUELLBRAND_ROTATION");
    if (!value) return 0;
    char *end = nullptr;
    const long d = std::strtol(value, &end, 10);
    if (end != value && *end == '\0' && (d == 0 || d == 90 || d == 180 || d == 270)) return (int)d;
    std::fprintf(stderr, "quellbrand: QUELLBRAND_ROTATION is 0, 90, 180 or 270, not \"%s\"\n",
                 value);
    return 0;
}

// The largest whole scale that fits the output, centred; on a turned panel the picture's width
// lies along the output's height.
void place_picture() {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer, &w, &h);
    const bool turned = rotation == 90 || rotation == 270;
    const ScreenLayout l = demo_screen_layout(scale_auto, true, turned ? h : w, turned ? w : h);
    picture = {(w - screen_width * l.scale) / 2, (h - screen_height * l.scale) / 2,
               screen_width * l.scale, screen_height * l.scale};
}

// Between the song and the music: the window, its renderer and the picture's texture.
uint32_t video_flags = 0;
int open_window() {
    // what the sound libraries said looking for a device, only if one opened
    quiet_stderr_release(snd_sound_mode != snd_mode_silent);
    const bool fullscreen = video_flags & demo_fullscreen;
    window = SDL_CreateWindow(caption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              2 * screen_width, 2 * screen_height,
                              fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (window) renderer = SDL_CreateRenderer(window, -1, 0);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    if (renderer)
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                    screen_width, screen_height);
    if (!texture) {
        std::fprintf(stderr, "quellbrand: cannot open the screen: %s\n", SDL_GetError());
        return 0;
    }
    SDL_ShowCursor(SDL_DISABLE);
    rotation = rotation_degrees();
    place_picture();
    make_grey_palette_565(1, 0);
    session_catch_stop_signals();
    session_choose_clock();
    return 1;
}

// Game controllers as they come: PortMaster's SDL_GAMECONTROLLERCONFIG names the pad's buttons.
void open_controller(int index) {
    if (SDL_IsGameController(index)) SDL_GameControllerOpen(index);
}

int stick_where = 0;
int sdl2_event(int *type, int *key) {
    if (session_take_stop()) {
        *type = event_key_down;
        *key = key_escape;
        return 1;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_KEYDOWN:
            if (e.key.repeat || !input_key(e.key.keysym.sym, key)) break;
            *type = event_key_down;
            return 1;
        case SDL_CONTROLLERBUTTONDOWN:
            if (!input_button(e.cbutton.button, key)) break;
            *type = event_key_down;
            return 1;
        case SDL_CONTROLLERAXISMOTION:
            if (e.caxis.axis != SDL_CONTROLLER_AXIS_LEFTY ||
                !input_stick(e.caxis.value, &stick_where, key))
                break;
            *type = event_key_down;
            return 1;
        case SDL_MOUSEBUTTONDOWN:
            *type = event_mouse_button_down;
            *key = 0;
            return 1;
        case SDL_CONTROLLERDEVICEADDED:
            open_controller(e.cdevice.which);
            break;
        default:
            break;
        }
    }
    return 0;
}

int sdl2_poll(int *type, int *key) {
    if (!sdl2_event(type, key)) return 0;
    session_event(*type, *key);
    return 1;
}

void sdl2_present(const uint8_t *canvas, int t, int clock) {
    present_copy((uint8_t *)frame, (int)sizeof frame[0], canvas);
    SDL_UpdateTexture(texture, nullptr, frame, (int)sizeof frame[0]);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopyEx(renderer, texture, nullptr, &picture, rotation, nullptr, SDL_FLIP_NONE);
    SDL_RenderPresent(renderer);
    session_frame_shown(t, clock);
}

void sleep_ms(int ms) {
    SDL_Delay((Uint32)ms);
}

} // namespace

int main(int argc, char **argv) {
    video_flags = demo_video_flags(argc, argv);
    demo_build_tables();
    // the demo's own handlers end it on SIGTERM, as Escape does
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // OpenGL ES first, as the handhelds' SDL has it: on KMS/DRM, Mesa's desktop OpenGL showed
    // no picture; SDL_RENDER_DRIVER still chooses
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengles2");
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER);
    session_catch_stop_signals();
    session_choose_device_channels();
    for (int i = 0; i < SDL_NumJoysticks(); ++i) open_controller(i);

    SndAudioDevice audio = snd_sdl_audio_device;
    audio.open = session_open_audio_quietly;
    if (!demo_start_sound({audio, session_driver_menu, open_window})) {
        SDL_Quit();
        return 1;
    }
    const DemoHost host = {session_ticks, session_song_clock, sdl2_poll, sdl2_present, sleep_ms};
    demo_wait_for_music(host);
    demo_run(host, (double)SDL_GetTicks());
    session_end();
    SDL_Quit();
    return 0;
}
