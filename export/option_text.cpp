#include "export/option_text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

// Arguments are echoed in messages: keep the line one line, and not endless.
void QuoteArgument(const char* text, char* out, size_t outSize) {
    size_t n = 0;
    const size_t limit = outSize > 4 ? outSize - 4 : 0;
    for (; *text && n < limit; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        out[n++] = (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    }
    if (*text && outSize >= 4) {
        out[n++] = '.';
        out[n++] = '.';
        out[n++] = '.';
    }
    if (outSize > 0) out[n < outSize ? n : outSize - 1] = '\0';
}

// Values far outside any range saturate, so the range check that follows still
// rejects them.
bool ReadWholeText(const char* text, int64_t* value) {
    const char* p = text;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (v < (int64_t{1} << 40)) v = v * 10 + (*p - '0');
    }
    if (*p) return false;
    *value = negative ? -v : v;
    return true;
}

// A seed: decimal, or hexadecimal after 0x (the form the success line prints).
bool ReadSeedText(const char* text, uint32_t* seed) {
    uint64_t v = 0;
    const char* p = text;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        if (!*p) return false;
        for (; *p; ++p) {
            int digit = -1;
            if (*p >= '0' && *p <= '9') digit = *p - '0';
            if (*p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
            if (*p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
            if (digit < 0) return false;
            v = v * 16 + static_cast<uint64_t>(digit);
            if (v > 0xFFFFFFFFu) return false;
        }
    } else {
        if (!*p) return false;
        for (; *p; ++p) {
            if (*p < '0' || *p > '9') return false;
            v = v * 10 + static_cast<uint64_t>(*p - '0');
            if (v > 0xFFFFFFFFu) return false;
        }
    }
    *seed = static_cast<uint32_t>(v);
    return true;
}

// A finite decimal number as strtod reads it, with nothing left over.
bool ReadRealText(const char* text, double* out) {
    if (!*text || *text == ' ' || (*text >= '\t' && *text <= '\r')) return false;
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (end == text || *end || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

// WIDTHxHEIGHT, both whole and unsigned.
bool ReadSizeText(const char* text, int64_t* w, int64_t* h) {
    const char* x = std::strchr(text, 'x');
    if (!x) x = std::strchr(text, 'X');
    if (!x || x == text) return false;
    char first[24];
    size_t len = static_cast<size_t>(x - text);
    if (len >= sizeof first) len = sizeof first - 1;  // still all digits: saturates later
    std::memcpy(first, text, len);
    first[len] = '\0';
    if (first[0] < '0' || first[0] > '9' || x[1] < '0' || x[1] > '9') return false;  // no signs
    return ReadWholeText(first, w) && ReadWholeText(x + 1, h);
}

const char* SizeProblem(int64_t w, int64_t h) {
    if (w < 1 || h < 1 || w > kOfflineMaxSide || h > kOfflineMaxSide) return "each side must be 1 to 65535 pixels";
    if (w * h > kOfflineMaxPixels) return "more than 268435456 pixels in all";
    return nullptr;
}
