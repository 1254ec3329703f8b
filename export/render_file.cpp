// The target file appears only complete: everything is written to a hidden temporary
// file in the same folder, which is renamed over the target at the end and removed on
// any failure, so an interrupted or failed run never leaves half a picture behind.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "export/render_output.h"

namespace {
int32_t Failed(const char* path, int err, char* error, size_t errorSize) {
    std::snprintf(error, errorSize, "cannot write '%s': %s", path, std::strerror(err));
    return -1;
}
}  // namespace

int32_t OpenTarget(const char* path, RenderTarget* target, char* error, size_t errorSize) {
    target->path = path;
    target->tempPath[0] = '\0';
    target->fd = -1;
    struct stat info;
    if (stat(path, &info) == 0 && S_ISDIR(info.st_mode)) return Failed(path, EISDIR, error, errorSize);

    const char* slash = std::strrchr(path, '/');
    const size_t folderLength = slash ? static_cast<size_t>(slash - path) + 1 : 0;
    const char* name = path + folderLength;
    const int n = std::snprintf(target->tempPath, sizeof target->tempPath, "%.*s.%s.XXXXXX",
                                static_cast<int>(folderLength), path, name);
    if (n < 0 || static_cast<size_t>(n) >= sizeof target->tempPath) {
        target->tempPath[0] = '\0';
        return Failed(path, ENAMETOOLONG, error, errorSize);
    }
    target->fd = mkstemp(target->tempPath);
    if (target->fd < 0) {
        const int err = errno;
        target->tempPath[0] = '\0';
        return Failed(path, err, error, errorSize);
    }
    // mkstemp makes the file private; a picture gets the permissions of any new file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(target->fd, 0666 & ~mask);
    return 0;
}

int32_t CommitTarget(RenderTarget* target, char* error, size_t errorSize) {
    if (target->fd >= 0) {
        close(target->fd);
        target->fd = -1;
    }
    if (rename(target->tempPath, target->path) != 0) {
        const int err = errno;
        DiscardTarget(target);
        return Failed(target->path, err, error, errorSize);
    }
    target->tempPath[0] = '\0';
    return 0;
}

void DiscardTarget(RenderTarget* target) {
    if (target->fd >= 0) {
        close(target->fd);
        target->fd = -1;
    }
    if (target->tempPath[0]) {
        unlink(target->tempPath);
        target->tempPath[0] = '\0';
    }
}
