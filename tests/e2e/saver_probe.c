/* A probe for the screen saver's tests, run beside huemix.scr:
 *
 *     saver_probe.exe dpi                    prints "dpi N", the system's pixels per inch
 *     saver_probe.exe syscommand CODE PARAM  sends WM_SYSCOMMAND with CODE and PARAM
 *                                            (hexadecimal) to the full-screen saver's
 *                                            first window, as the system would
 *
 * Exit code 0 when done, 1 when there is no saver window or the message was not
 * delivered within 5 s. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    SetProcessDPIAware();  /* the real figure, not the one shown to unaware programs */
    if (argc == 2 && strcmp(argv[1], "dpi") == 0) {
        HDC screen = GetDC(NULL);
        printf("dpi %d\n", GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(NULL, screen);
        return 0;
    }
    if (argc != 4 || strcmp(argv[1], "syscommand") != 0) {
        fprintf(stderr, "usage: saver_probe dpi | syscommand CODE PARAM\n");
        return 2;
    }
    HWND saver = FindWindowA("KvHuemixSaverWnd", "Korvane's Huemix Screen Saver");
    if (!saver) {
        printf("no saver window\n");
        return 1;
    }
    WPARAM code = (WPARAM)strtoull(argv[2], NULL, 16);
    LPARAM param = (LPARAM)strtoll(argv[3], NULL, 16);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(saver, WM_SYSCOMMAND, code, param, SMTO_ABORTIFHUNG, 5000, &result)) {
        printf("syscommand %llx: not delivered\n", (unsigned long long)code);
        return 1;
    }
    printf("syscommand %llx: %llu\n", (unsigned long long)code, (unsigned long long)result);
    return 0;
}
