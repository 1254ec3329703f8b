#include "modes/mode_trials.h"

#include "modes/buddhabrot/buddhabrot_lanes.h"
#include "modes/plasma/plasma.h"
#include "modes/reaction/reaction_diffusion.h"
#include "modes/zoom/mandelbrot_zoom.h"

KernelTrial KernelTrialFor(KernelUser user) {
    switch (user) {
        case kUserPlasma: return PlasmaTrial;
        case kUserReaction: return ReactionTrial;
        case kUserZoom: return ZoomTrial;
        case kUserBuddhabrot: return BuddhabrotTrial;
        case kUserSplash:
        case kUserPhyllotaxis:
        case kUserCompose:
        case kKernelUserCount:
            break;
    }
    return nullptr;
}

VectorKernel KernelOfUser(KernelUser user) { return KernelFor(user, KernelTrialFor(user)); }
