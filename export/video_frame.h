// A frame of the picture for a video encoder: the Canvas's indices under a palette,
// as Y'CbCr with BT.601 coefficients in studio range (what players assume for a VP9
// stream and ffmpeg for its own conversions) and chroma halved both ways (4:2:0).
#pragma once
#include <cstddef>
#include <cstdint>

struct VideoPlanes {
    uint8_t* y;  // width x height
    uint8_t* u;  // (width + 1) / 2 x (height + 1) / 2
    uint8_t* v;
    size_t yStride;
    size_t uStride;
    size_t vStride;
};

// Every palette entry is converted once; each pixel's luma is its entry's, and each
// chroma sample the mean of a 2 x 2 block's (an odd last column or row repeats).
void FillVideoPlanes(const uint8_t* indices, const uint32_t* palette, int32_t width, int32_t height,
                     const VideoPlanes& planes);
