/* A stand-in for the 32-bit command interpreter (syswow64\cmd.exe), which
 * machines without 32-bit x86 support cannot run: a 64-bit program that
 * appends a line to cmd-starts.txt beside itself and then runs the system's
 * cmd.exe with its own command line, ending with its exit code.
 *
 * A file beside it changes what it does after recording the start:
 *   fail-at-start  ends at once with exit code 1, as a 32-bit interpreter
 *                  does whose loader is missing;
 *   hang           never ends and never runs anything. */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

static void BesideMe(wchar_t* path, size_t size, const wchar_t* name) {
    DWORD length = GetModuleFileNameW(NULL, path, (DWORD)size);
    while (length > 0 && path[length - 1] != L'\\') --length;
    path[length] = L'\0';
    wcsncat(path, name, size - length - 1);
}

static int IsThere(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    BesideMe(path, MAX_PATH, name);
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

/* The command line after the program's own name. */
static const wchar_t* Arguments(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line != L'\0' && *line != L'"') ++line;
        if (*line == L'"') ++line;
    } else {
        while (*line != L'\0' && *line != L' ' && *line != L'\t') ++line;
    }
    return line;
}

int wmain(void) {
    wchar_t log[MAX_PATH];
    BesideMe(log, MAX_PATH, L"cmd-starts.txt");
    FILE* file = _wfopen(log, L"ab");
    if (file != NULL) {
        fputs("started\r\n", file);
        fclose(file);
    }
    if (IsThere(L"fail-at-start")) return 1;
    if (IsThere(L"hang")) {
        for (;;) Sleep(INFINITE);
    }

    wchar_t interpreter[MAX_PATH];
    const UINT length = GetSystemDirectoryW(interpreter, MAX_PATH - 9);
    if (length == 0) return 1;
    wcscat(interpreter, L"\\cmd.exe");
    static wchar_t commandLine[32768];
    swprintf(commandLine, 32768, L"cmd.exe%ls", Arguments(GetCommandLineW()));

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(interpreter, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                        &process)) {
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    return (int)code;
}
