// psion-interface.exe: the desktop maintenance tool for a Psion reader unit, on Windows.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <cstdlib>
#include <exception>
#include <string>

#include "app/MainWindow.h"
#include "app/SharedValues.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32UserPrompt.h"
#include "platform/win32/Win32WindowSystem.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A Receive holds the window without reading messages until its script ends.
    // Windows would otherwise put "(Not Responding)" over it after 5 s and offer
    // to end the program, leaving the script running and holding the port.
    DisableProcessWindowsGhosting();
    // The manifest asks for version 6 of the common controls; this loads them.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The windows tell screen readers their fields' names through COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    psion::win32::Win32FileSystem files;
    psion::win32::Win32Environment environment;
    psion::win32::Win32Clock clock;
    psion::win32::Win32ProcessLauncher processes;
    psion::win32::Win32UserPrompt prompt;
    psion::win32::Win32WindowSystem windows;
    psion::platform::Platform platform{files, environment, clock, processes, prompt, windows};

    psion::app::SharedValues shared;
    psion::app::MainWindow mainWindow(shared, platform);
    try {
        const int exitCode = psion::win32::RunMainWindow(mainWindow);
        if (SUCCEEDED(com)) CoUninitialize();
        return exitCode;
    } catch (const std::exception& failure) {
        // Only when Windows refuses to create the windows: say so rather than vanish.
        const std::wstring text =
            L"The program could not start: " + psion::win32::ToWide(failure.what());
        const std::wstring title = psion::win32::ToWide(psion::platform::kApplicationTitle);
        MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
        return EXIT_FAILURE;
    }
}
