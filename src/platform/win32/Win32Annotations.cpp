#include "platform/win32/Win32Annotations.h"

// initguid.h first, so that oleacc.h defines its GUIDs here.
#include <initguid.h>
// After initguid.h.
#include <oleacc.h>

#include "platform/win32/Win32Text.h"

namespace psion::win32 {

Win32Annotations::Win32Annotations() {
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &services))) {
        services_ = static_cast<IAccPropServices*>(services);
    }
}

Win32Annotations::~Win32Annotations() {
    ClearAll();
    if (services_ != nullptr) services_->Release();
}

bool Win32Annotations::SetText(HWND control, const GUID& property, const std::string& text) {
    if (services_ == nullptr) return false;
    const std::wstring wide = ToWide(text);
    if (FAILED(services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                         property, wide.c_str()))) {
        return false;
    }
    Remember(control, property);
    return true;
}

bool Win32Annotations::SetName(HWND control, const std::string& name) {
    return SetText(control, PROPID_ACC_NAME, name);
}

bool Win32Annotations::SetDescription(HWND control, const std::string& description) {
    return SetText(control, PROPID_ACC_DESCRIPTION, description);
}

bool Win32Annotations::SetRole(HWND window, long role) {
    if (services_ == nullptr) return false;
    VARIANT value{};
    value.vt = VT_I4;
    value.lVal = role;
    if (FAILED(services_->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                      PROPID_ACC_ROLE, value))) {
        return false;
    }
    Remember(window, PROPID_ACC_ROLE);
    return true;
}

void Win32Annotations::Remember(HWND control, const GUID& property) {
    annotated_.push_back({control, property});
}

void Win32Annotations::ClearAll() {
    if (services_ == nullptr) return;
    for (const Annotated& entry : annotated_) {
        MSAAPROPID property = entry.property;
        services_->ClearHwndProps(entry.control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                  &property, 1);
    }
    annotated_.clear();
}

}  // namespace psion::win32
