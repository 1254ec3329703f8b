// VP9 video in a WebM file: libvpx encodes each frame as it comes and libavformat's
// WebM muxer writes the container, with the recipe in its comment tag. Settings for
// a quick encode of flat, colourful pictures: real-time speed 8, constant quality 30,
// one encoder thread per processor with rows in parallel.
#include <vpx/vp8cx.h>
#include <vpx/vpx_encoder.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "export/render_output.h"
#include "export/video_frame.h"
#include "huemix_version.h"

namespace {
constexpr int kSpeed = 8;
constexpr unsigned kQuality = 30;
constexpr int32_t kMostThreads = 16;

struct VideoState {
    vpx_codec_ctx_t codec;
    bool codecOpen;
    vpx_image_t* image;
    AVFormatContext* muxer;
    AVPacket* packet;
    int32_t width;
    int32_t height;
    int32_t delayMs;
    int64_t frames;  // handed to the encoder so far
    int syncFd;      // a second descriptor of the file, to flush it to disk at the end
    const char* path;
};

VideoState* State(VideoOutput* out) { return static_cast<VideoState*>(out->state); }

int32_t EncoderFailed(VideoOutput* out, const char* what, char* error, size_t errorSize) {
    VideoState* s = State(out);
    const char* detail = s->codecOpen ? vpx_codec_error_detail(&s->codec) : nullptr;
    std::snprintf(error, errorSize, "cannot encode '%s': %s%s%s", s->path, what, detail ? ": " : "",
                  detail ? detail : "");
    EndVideo(out, true, nullptr, 0);
    return -1;
}

int32_t WriteFailed(VideoOutput* out, int code, char* error, size_t errorSize) {
    char reason[AV_ERROR_MAX_STRING_SIZE] = "";
    av_strerror(code, reason, sizeof reason);
    std::snprintf(error, errorSize, "cannot write '%s': %s", State(out)->path, reason);
    EndVideo(out, true, nullptr, 0);
    return -1;
}

// Hands every packet the encoder has ready to the muxer.
int32_t MuxPackets(VideoOutput* out, char* error, size_t errorSize) {
    VideoState* s = State(out);
    vpx_codec_iter_t iter = nullptr;
    while (const vpx_codec_cx_pkt_t* p = vpx_codec_get_cx_data(&s->codec, &iter)) {
        if (p->kind != VPX_CODEC_CX_FRAME_PKT) continue;
        AVPacket* packet = s->packet;
        packet->data = static_cast<uint8_t*>(p->data.frame.buf);
        packet->size = static_cast<int>(p->data.frame.sz);
        packet->pts = p->data.frame.pts;
        packet->dts = p->data.frame.pts;
        packet->duration = s->delayMs;
        packet->flags = (p->data.frame.flags & VPX_FRAME_IS_KEY) ? AV_PKT_FLAG_KEY : 0;
        packet->stream_index = 0;
        const int written = av_write_frame(s->muxer, packet);
        packet->data = nullptr;
        packet->size = 0;
        if (written < 0) return WriteFailed(out, written, error, errorSize);
        if (s->muxer->pb->error < 0) return WriteFailed(out, s->muxer->pb->error, error, errorSize);
    }
    return 0;
}

int32_t OpenEncoder(VideoOutput* out, int32_t threads, char* error, size_t errorSize) {
    VideoState* s = State(out);
    vpx_codec_iface_t* iface = vpx_codec_vp9_cx();
    vpx_codec_enc_cfg_t config;
    if (vpx_codec_enc_config_default(iface, &config, 0) != VPX_CODEC_OK) {
        return EncoderFailed(out, "no VP9 encoder settings", error, errorSize);
    }
    config.g_w = static_cast<unsigned>(s->width);
    config.g_h = static_cast<unsigned>(s->height);
    config.g_timebase.num = 1;  // timestamps in milliseconds, as the container keeps them
    config.g_timebase.den = 1000;
    config.g_threads = static_cast<unsigned>(threads);
    config.g_lag_in_frames = 0;
    config.g_pass = VPX_RC_ONE_PASS;
    config.rc_end_usage = VPX_Q;
    config.rc_min_quantizer = 0;
    config.rc_max_quantizer = 63;
    config.rc_dropframe_thresh = 0;  // every frame is kept: the loop must not skip
    if (vpx_codec_enc_init(&s->codec, iface, &config, 0) != VPX_CODEC_OK) {
        return EncoderFailed(out, "the VP9 encoder would not start", error, errorSize);
    }
    s->codecOpen = true;
    const bool set = vpx_codec_control(&s->codec, VP8E_SET_CPUUSED, kSpeed) == VPX_CODEC_OK &&
                     vpx_codec_control(&s->codec, VP8E_SET_CQ_LEVEL, kQuality) == VPX_CODEC_OK &&
                     vpx_codec_control(&s->codec, VP9E_SET_ROW_MT, 1u) == VPX_CODEC_OK &&
                     vpx_codec_control(&s->codec, VP9E_SET_COLOR_SPACE, static_cast<int>(VPX_CS_BT_601)) == VPX_CODEC_OK &&
                     vpx_codec_control(&s->codec, VP9E_SET_COLOR_RANGE, static_cast<int>(VPX_CR_STUDIO_RANGE)) == VPX_CODEC_OK;
    if (!set) return EncoderFailed(out, "the VP9 encoder refused its settings", error, errorSize);
    s->image = vpx_img_alloc(nullptr, VPX_IMG_FMT_I420, static_cast<unsigned>(s->width),
                             static_cast<unsigned>(s->height), 32);
    if (!s->image) {
        std::snprintf(error, errorSize, "not enough memory for a %dx%d video frame", s->width, s->height);
        EndVideo(out, true, nullptr, 0);
        return -1;
    }
    return 0;
}

int32_t OpenMuxer(VideoOutput* out, const char* tempPath, const char* recipe, char* error, size_t errorSize) {
    VideoState* s = State(out);
    int code = avformat_alloc_output_context2(&s->muxer, nullptr, "webm", nullptr);
    if (code < 0 || !s->muxer) return WriteFailed(out, code < 0 ? code : AVERROR(ENOMEM), error, errorSize);
    AVStream* stream = avformat_new_stream(s->muxer, nullptr);
    s->packet = av_packet_alloc();
    if (!stream || !s->packet) return WriteFailed(out, AVERROR(ENOMEM), error, errorSize);
    stream->time_base = AVRational{1, 1000};
    stream->avg_frame_rate = AVRational{1000, s->delayMs};
    AVCodecParameters* p = stream->codecpar;
    p->codec_type = AVMEDIA_TYPE_VIDEO;
    p->codec_id = AV_CODEC_ID_VP9;
    p->width = s->width;
    p->height = s->height;
    p->format = AV_PIX_FMT_YUV420P;
    p->color_range = AVCOL_RANGE_MPEG;
    p->color_space = AVCOL_SPC_SMPTE170M;
    if (recipe) av_dict_set(&s->muxer->metadata, "comment", recipe, 0);
    av_dict_set(&s->muxer->metadata, "encoding_tool", "Huemix " HUEMIX_VERSION, 0);

    // By name, after "file:" so that no other protocol is taken from a colon in it.
    char url[4200];
    std::snprintf(url, sizeof url, "file:%s", tempPath);
    code = avio_open(&s->muxer->pb, url, AVIO_FLAG_WRITE);
    if (code < 0) return WriteFailed(out, code, error, errorSize);
    code = avformat_write_header(s->muxer, nullptr);
    if (code < 0) return WriteFailed(out, code, error, errorSize);
    return 0;
}
}  // namespace

int32_t BeginVideo(RenderTarget* target, VideoOutput* out, int32_t width, int32_t height, int32_t delayMs,
                   int32_t threads, const char* recipe, char* error, size_t errorSize) {
    VideoState* s = static_cast<VideoState*>(std::calloc(1, sizeof(VideoState)));
    out->state = s;
    if (!s) {
        std::snprintf(error, errorSize, "not enough memory to write '%s'", target->path);
        return -1;
    }
    s->width = width;
    s->height = height;
    s->delayMs = delayMs;
    s->path = target->path;
    s->syncFd = target->fd;  // the muxer writes by name; this one flushes at the end
    target->fd = -1;
    av_log_set_level(AV_LOG_QUIET);  // failures come back as codes, and as one line
    if (threads < 1) threads = static_cast<int32_t>(sysconf(_SC_NPROCESSORS_ONLN));
    if (threads < 1) threads = 1;
    if (threads > kMostThreads) threads = kMostThreads;
    if (OpenEncoder(out, threads, error, errorSize) != 0) return -1;
    return OpenMuxer(out, target->tempPath, recipe, error, errorSize);
}

int32_t AddVideoFrame(VideoOutput* out, const uint8_t* indices, const uint32_t* palette, char* error,
                      size_t errorSize) {
    VideoState* s = State(out);
    vpx_image_t* image = s->image;
    const VideoPlanes planes = {image->planes[VPX_PLANE_Y],
                                image->planes[VPX_PLANE_U],
                                image->planes[VPX_PLANE_V],
                                static_cast<size_t>(image->stride[VPX_PLANE_Y]),
                                static_cast<size_t>(image->stride[VPX_PLANE_U]),
                                static_cast<size_t>(image->stride[VPX_PLANE_V])};
    FillVideoPlanes(indices, palette, s->width, s->height, planes);
    const vpx_codec_pts_t pts = s->frames * s->delayMs;
    if (vpx_codec_encode(&s->codec, image, pts, static_cast<unsigned long>(s->delayMs), 0, VPX_DL_REALTIME) !=
        VPX_CODEC_OK) {
        return EncoderFailed(out, vpx_codec_error(&s->codec), error, errorSize);
    }
    ++s->frames;
    return MuxPackets(out, error, errorSize);
}

int32_t EndVideo(VideoOutput* out, bool abandon, char* error, size_t errorSize) {
    VideoState* s = State(out);
    if (!s) return -1;
    int32_t result = abandon ? -1 : 0;
    if (!abandon) {
        // The encoder's last packets, then the container's closing elements.
        if (vpx_codec_encode(&s->codec, nullptr, -1, 0, 0, VPX_DL_REALTIME) != VPX_CODEC_OK) {
            return EncoderFailed(out, vpx_codec_error(&s->codec), error, errorSize);
        }
        if (MuxPackets(out, error, errorSize) != 0) return -1;
        int code = av_write_trailer(s->muxer);
        if (code >= 0 && s->muxer->pb->error < 0) code = s->muxer->pb->error;
        if (code >= 0) code = avio_closep(&s->muxer->pb);
        if (code < 0) return WriteFailed(out, code, error, errorSize);
        if (fsync(s->syncFd) != 0) return WriteFailed(out, AVERROR(errno), error, errorSize);
    }
    if (s->muxer) {
        if (s->muxer->pb) avio_closep(&s->muxer->pb);
        avformat_free_context(s->muxer);
    }
    av_packet_free(&s->packet);
    if (s->image) vpx_img_free(s->image);
    if (s->codecOpen) vpx_codec_destroy(&s->codec);
    if (s->syncFd >= 0) close(s->syncFd);
    std::free(s);
    out->state = nullptr;
    return result;
}
