#include "platform/win32/Dialog.h"

#include <initguid.h>
#include <oleacc.h>

#include "platform/win32/Handle.h"

namespace stowly {

void SetAccessibleName(HWND control, const std::wstring& name) {
    ComPtr<IAccPropServices> services;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                services.put_void())))
        return;
    services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name.c_str());
}

} // namespace stowly
