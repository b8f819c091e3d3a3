#include "platform/win32/Win32Environment.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace psion::win32 {

std::optional<std::string> Win32Environment::Get(std::string_view name) const {
    const std::wstring wideName = ToWide(name);
    std::wstring value(64, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(),
                                                     static_cast<DWORD>(value.size()));
        if (length == 0) {
            // Zero is both "not set" and "set to empty text"; the error code tells them apart.
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (length < value.size()) {
            value.resize(length);
            return FromWide(value);
        }
        value.resize(length);  // too small: length holds the size needed, terminator included
    }
}

}  // namespace psion::win32
