/* The unit's transfer program, as a stand-in: a Windows console program that
 * opens a COM port at 9600 8N1 and either sends a file down it, followed by a
 * line "END", or asks for the readings with a line "SEND READINGS" and writes
 * the lines it receives into a file until a line "END".
 *
 *   com-transfer send    <port> <file>
 *   com-transfer receive <port> <file>
 *
 * Exit code 0 on success; 2 for a wrong command line, 3 when the port cannot
 * be opened or set up, 4 when the file cannot be read or written, 5 when the
 * line stays silent for the time limit or breaks. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

/* A receive that hears nothing for this long gives up, so a test cannot hang on it. */
#define SILENCE_LIMIT_MS 60000

static HANDLE OpenPort(const wchar_t* name) {
    wchar_t device[64] = L"\\\\.\\";
    wcsncat(device, name, 50);
    HANDLE port =
        CreateFileW(device, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (port == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "com-transfer: cannot open %ls (error %lu)\n", name, GetLastError());
        return port;
    }
    DCB settings;
    memset(&settings, 0, sizeof settings);
    settings.DCBlength = sizeof settings;
    GetCommState(port, &settings);
    settings.BaudRate = CBR_9600;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    COMMTIMEOUTS timeouts;
    memset(&timeouts, 0, sizeof timeouts);
    timeouts.ReadTotalTimeoutConstant = SILENCE_LIMIT_MS;
    if (!SetCommState(port, &settings) || !SetCommTimeouts(port, &timeouts)) {
        fprintf(stderr, "com-transfer: cannot set up %ls (error %lu)\n", name, GetLastError());
        CloseHandle(port);
        return INVALID_HANDLE_VALUE;
    }
    return port;
}

static int WriteAll(HANDLE port, const char* bytes, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(port, bytes, size, &written, NULL) || written == 0) return 0;
        bytes += written;
        size -= written;
    }
    return 1;
}

static int Send(HANDLE port, const wchar_t* fileName) {
    FILE* file = _wfopen(fileName, L"rb");
    if (file == NULL) return 4;
    char buffer[4096];
    size_t count;
    int result = 0;
    while (result == 0 && (count = fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (!WriteAll(port, buffer, (DWORD)count)) result = 5;
    }
    fclose(file);
    if (result == 0 && !WriteAll(port, "END\r\n", 5)) result = 5;
    if (result == 0) FlushFileBuffers(port);
    return result;
}

/* Lines end in LF, with or without CR before it; the file gets them with CR LF. */
static int Receive(HANDLE port, const wchar_t* fileName) {
    FILE* file = _wfopen(fileName, L"wb");
    if (file == NULL) return 4;
    if (!WriteAll(port, "SEND READINGS\r\n", 15)) {
        fclose(file);
        return 5;
    }
    char line[4096];
    size_t length = 0;
    for (;;) {
        char byte;
        DWORD count = 0;
        if (!ReadFile(port, &byte, 1, &count, NULL) || count == 0) {
            fclose(file);
            return 5;
        }
        if (byte == '\r') continue;
        if (byte != '\n') {
            if (length < sizeof line) line[length++] = byte;
            continue;
        }
        if (length == 3 && memcmp(line, "END", 3) == 0) break;
        fwrite(line, 1, length, file);
        fwrite("\r\n", 1, 2, file);
        length = 0;
    }
    return fclose(file) == 0 ? 0 : 4;
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 || (wcscmp(argv[1], L"send") != 0 && wcscmp(argv[1], L"receive") != 0)) {
        fprintf(stderr, "usage: com-transfer send|receive <port> <file>\n");
        return 2;
    }
    HANDLE port = OpenPort(argv[2]);
    if (port == INVALID_HANDLE_VALUE) return 3;
    const int result = wcscmp(argv[1], L"send") == 0 ? Send(port, argv[3]) : Receive(port, argv[3]);
    CloseHandle(port);
    return result;
}
