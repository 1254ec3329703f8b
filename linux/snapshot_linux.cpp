// F12: the frame as last composed, as a PNG file named by the program's rule in the
// user's pictures folder: what `xdg-user-dir PICTURES` names, else ~/Pictures when it
// exists, else the current folder. The encoder is libpng's and the file carries the
// picture's recipe, as the renderer's do; it appears only complete.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/art_state.h"
#include "app/platform.h"
#include "export/recipe.h"
#include "export/render_output.h"
#include "export/snapshot_name.h"
#include "linux/shell_linux.h"

extern char** environ;

namespace {

constexpr size_t kFolderCapacity = 4096;

// The folder of the snapshot being named, for PlatformFileExists.
char snapshotFolder[kFolderCapacity] = ".";

bool IsFolder(const char* path) {
    struct stat info;
    return path[0] != '\0' && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// What `xdg-user-dir PICTURES` prints, without its line end; empty when the command is
// missing or fails.
void AskXdgUserDir(char* folder, size_t size) {
    folder[0] = '\0';
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char command[] = "xdg-user-dir";
    char which[] = "PICTURES";
    char* argv[] = {command, which, nullptr};
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, command, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    size_t length = 0;
    if (spawned == 0) {
        ssize_t got;
        while (length + 1 < size && (got = read(pipeEnds[0], folder + length, size - 1 - length)) > 0) {
            length += static_cast<size_t>(got);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) length = 0;
    }
    close(pipeEnds[0]);
    folder[length] = '\0';
    while (length > 0 && (folder[length - 1] == '\n' || folder[length - 1] == '\r')) folder[--length] = '\0';
}

// xdg-user-dir answers with the home folder itself when no pictures folder is set; that
// counts as no answer, so ~/Pictures is looked for next.
void FindPicturesFolder() {
    char answer[kFolderCapacity];
    AskXdgUserDir(answer, sizeof answer);
    const char* home = std::getenv("HOME");
    const bool justHome = home && std::strcmp(answer, home) == 0;
    if (!justHome && IsFolder(answer)) {
        std::snprintf(snapshotFolder, sizeof snapshotFolder, "%s", answer);
        return;
    }
    if (home && home[0]) {
        const int n = std::snprintf(snapshotFolder, sizeof snapshotFolder, "%s/Pictures", home);
        if (n > 0 && static_cast<size_t>(n) < sizeof snapshotFolder && IsFolder(snapshotFolder)) return;
    }
    std::snprintf(snapshotFolder, sizeof snapshotFolder, ".");
}

// The rule's name comes as \kvhuemix_...png (the folder left empty): here the folder
// and a slash go in front of it. False when it does not fit.
bool PathOf(const char16_t* name, char* path, size_t size) {
    if (name[0] == u'\\') ++name;
    int n = std::snprintf(path, size, "%s/", snapshotFolder);
    if (n < 0 || static_cast<size_t>(n) >= size) return false;
    size_t length = static_cast<size_t>(n);
    for (; *name; ++name) {
        if (length + 1 >= size) return false;
        path[length++] = static_cast<char>(*name);  // the name is ASCII
    }
    path[length] = '\0';
    return true;
}

}  // namespace

int PlatformFileExists(const char16_t* name) {
    char path[kFolderCapacity + SnapshotNameCapacity];
    if (!PathOf(name, path, sizeof path)) return 1;  // a name that cannot be made is never free
    struct stat info;
    return lstat(path, &info) == 0 ? 1 : 0;
}

int32_t SaveSnapshot() {
    if (art.dibPixels == nullptr || art.canvasWidth <= 0 || art.canvasHeight <= 0 ||
        art.canvasWidth > INT_MAX / 4) {
        return -4;
    }
    const time_t now = std::time(nullptr);
    struct tm local;
    if (!localtime_r(&now, &local)) return -1;
    const SnapshotTime t = {static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
                            static_cast<uint16_t>(local.tm_mday), static_cast<uint16_t>(local.tm_hour),
                            static_cast<uint16_t>(local.tm_min), static_cast<uint16_t>(local.tm_sec)};
    FindPicturesFolder();
    char16_t name[SnapshotNameCapacity];
    char path[kFolderCapacity + SnapshotNameCapacity];
    if (BuildSnapshotName(name, u"", t) != 0 || !PathOf(name, path, sizeof path)) return -5;

    // A stop signal now waits for the file: it must not leave half a picture behind.
    const sig_atomic_t wasInCore = shell.inCore;
    LeaveCore();
    char error[640];
    RenderTarget target;
    int32_t result = -5;
    if (OpenTarget(path, &target, error, sizeof error) == 0) {
        char recipe[kRecipeCapacity];
        const Recipe onScreen =
            ScreenRecipe(shell.pictureMode, shell.pictureState, shell.paletteState, shell.zoomFrames);
        const bool described = FormatRecipe(onScreen, recipe, sizeof recipe) >= 0;
        if (WriteRgbPng(&target, art.canvasWidth, art.canvasHeight, art.dibPixels, described ? recipe : nullptr,
                        error, sizeof error) == 0 &&
            CommitTarget(&target, error, sizeof error) == 0) {
            result = 0;
        } else {
            DiscardTarget(&target);
        }
    }
    if (result != 0) std::fprintf(stderr, "huemix: snapshot not saved: %s\n", error);
    shell.inCore = wasInCore;
    return result;
}
