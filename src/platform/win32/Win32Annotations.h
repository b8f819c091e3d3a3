#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct IAccPropServices;

namespace psion::win32 {

// What screen readers read for a window or control beyond what Windows finds
// itself, set through the system's accessibility annotations. Needs COM on
// the thread; without it, or where the service is missing, nothing is
// annotated and Windows' own names apply (a field is then named after the
// caption just before it).
class Win32Annotations {
  public:
    Win32Annotations();
    ~Win32Annotations();
    Win32Annotations(const Win32Annotations&) = delete;
    Win32Annotations& operator=(const Win32Annotations&) = delete;

    // Each returns false when the annotation could not be set.
    bool SetName(HWND control, const std::string& name);
    bool SetDescription(HWND control, const std::string& description);
    bool SetRole(HWND window, long role);

    // Drops every annotation set so far; due before the windows are destroyed.
    void ClearAll();

  private:
    bool SetText(HWND control, const GUID& property, const std::string& text);
    void Remember(HWND control, const GUID& property);

    IAccPropServices* services_ = nullptr;
    struct Annotated {
        HWND control;
        GUID property;
    };
    std::vector<Annotated> annotated_;
};

}  // namespace psion::win32
