// /c: the settings dialog. It shows the settings read from the registry; OK writes
// what it shows, Cancel writes nothing and Defaults puts the defaults into it.
#include <windows.h>
#include <commctrl.h>

#include "app/startup.h"
#include "modes/modes.h"
#include "palette/presets.h"
#include "saver/saver_resource.h"
#include "saver/saver_win32.h"

namespace {

constexpr int kStepChoices[] = {1, 2, 4, 8};
constexpr int kStepChoiceCount = 4;
constexpr int kMonitorButtons[] = {IDC_SAVER_SAME, IDC_SAVER_SPAN, IDC_SAVER_PRIMARY};
constexpr int kMonitorButtonCount = 3;

// What the dialog ended with: OK with the settings written, OK but not written, Cancel.
enum DialogResult : INT_PTR { kSaved = 1, kCancelled = 2, kNotSaved = 3 };

void AddChoice(HWND dialog, int control, const char* text) {
    SendDlgItemMessageA(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void AddNamedChoice(HWND dialog, int control, const char* upperName) {
    char name[64];
    DialogName(upperName, name, sizeof(name));
    AddChoice(dialog, control, name);
}

void FillChoices(HWND dialog) {
    AddChoice(dialog, IDC_SAVER_MODE, "All modes in turn");
    for (int mode = 1; mode < kModeCount; ++mode) AddNamedChoice(dialog, IDC_SAVER_MODE, ModeNames[mode]);
    for (int preset = 0; preset < kPresetCount; ++preset) {
        AddNamedChoice(dialog, IDC_SAVER_PALETTE, PresetNames[preset]);
    }
    for (int step : kStepChoices) {
        char text[4] = {static_cast<char>('0' + step), '\0'};
        AddChoice(dialog, IDC_SAVER_STEP, text);
    }
    const SaverSettingInfo& seconds = SaverSettingTable[kSettingSecondsPerMode];
    const SaverSettingInfo& speed = SaverSettingTable[kSettingRotationMs];
    SendDlgItemMessageA(dialog, IDC_SAVER_SECONDS_SPIN, UDM_SETRANGE32, seconds.minimum, seconds.maximum);
    SendDlgItemMessageA(dialog, IDC_SAVER_SPEED_SPIN, UDM_SETRANGE32, speed.minimum, speed.maximum);
    SendDlgItemMessageA(dialog, IDC_SAVER_SECONDS, EM_LIMITTEXT, 3, 0);
    SendDlgItemMessageA(dialog, IDC_SAVER_SPEED, EM_LIMITTEXT, 3, 0);
}

void ShowSettings(HWND dialog, const SaverSettings& settings) {
    const uint32_t* v = settings.values;
    SendDlgItemMessageA(dialog, IDC_SAVER_MODE, CB_SETCURSEL, v[kSettingMode], 0);
    SetDlgItemInt(dialog, IDC_SAVER_SECONDS, v[kSettingSecondsPerMode], FALSE);
    SendDlgItemMessageA(dialog, IDC_SAVER_PALETTE, CB_SETCURSEL, v[kSettingPalette], 0);
    CheckDlgButton(dialog, IDC_SAVER_NEW_PALETTE, v[kSettingNewPaletteEach] ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(dialog, IDC_SAVER_SPEED, v[kSettingRotationMs], FALSE);
    int step = 0;
    while (step + 1 < kStepChoiceCount && static_cast<uint32_t>(kStepChoices[step]) != v[kSettingRotationStep]) {
        ++step;
    }
    SendDlgItemMessageA(dialog, IDC_SAVER_STEP, CB_SETCURSEL, step, 0);
    CheckRadioButton(dialog, IDC_SAVER_SAME, IDC_SAVER_PRIMARY, kMonitorButtons[v[kSettingMonitors]]);
    CheckDlgButton(dialog, IDC_SAVER_STATUS, v[kSettingStatusStrip] ? BST_CHECKED : BST_UNCHECKED);
}

// A list's choice, or the setting's default when none is chosen.
uint32_t ChosenIndex(HWND dialog, int control, int id) {
    const LRESULT chosen = SendDlgItemMessageA(dialog, control, CB_GETCURSEL, 0, 0);
    return chosen == CB_ERR ? SaverSettingTable[id].defaultValue : static_cast<uint32_t>(chosen);
}

// A typed number brought into range; the default when the field holds no number.
uint32_t TypedNumber(HWND dialog, int control, int id) {
    BOOL read = FALSE;
    const UINT typed = GetDlgItemInt(dialog, control, &read, FALSE);
    return read ? ClampSaverSetting(id, typed) : SaverSettingTable[id].defaultValue;
}

SaverSettings ReadDialog(HWND dialog) {
    SaverSettings s = DefaultSaverSettings();
    s.values[kSettingMode] = ChosenIndex(dialog, IDC_SAVER_MODE, kSettingMode);
    s.values[kSettingSecondsPerMode] = TypedNumber(dialog, IDC_SAVER_SECONDS, kSettingSecondsPerMode);
    s.values[kSettingPalette] = ChosenIndex(dialog, IDC_SAVER_PALETTE, kSettingPalette);
    s.values[kSettingNewPaletteEach] = IsDlgButtonChecked(dialog, IDC_SAVER_NEW_PALETTE) == BST_CHECKED;
    s.values[kSettingRotationMs] = TypedNumber(dialog, IDC_SAVER_SPEED, kSettingRotationMs);
    const uint32_t step = ChosenIndex(dialog, IDC_SAVER_STEP, kSettingRotationStep);
    s.values[kSettingRotationStep] = step < kStepChoiceCount ? kStepChoices[step] : 1;
    for (int i = 0; i < kMonitorButtonCount; ++i) {
        if (IsDlgButtonChecked(dialog, kMonitorButtons[i]) == BST_CHECKED) s.values[kSettingMonitors] = i;
    }
    s.values[kSettingStatusStrip] = IsDlgButtonChecked(dialog, IDC_SAVER_STATUS) == BST_CHECKED;
    return s;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            FillChoices(dialog);
            ShowSettings(dialog, ReadSaverSettings());
            return TRUE;  // the focus goes to the first control
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: EndDialog(dialog, WriteSaverSettings(ReadDialog(dialog)) ? kSaved : kNotSaved); return TRUE;
                case IDCANCEL: EndDialog(dialog, kCancelled); return TRUE;
                case IDC_SAVER_DEFAULTS: ShowSettings(dialog, DefaultSaverSettings()); return TRUE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}

}  // namespace

int RunSettingsDialog(HINSTANCE instance, HWND owner) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (owner && !IsWindow(owner)) owner = nullptr;
    if (!owner) owner = GetForegroundWindow();
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SAVER_SETTINGS), owner,
                                           SettingsDialogProc, 0);
    if (result == kNotSaved) return kExitSettingsNotSaved;
    return result == kSaved || result == kCancelled ? kExitNormal : kExitNoWindow;
}
