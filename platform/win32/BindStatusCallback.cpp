// IBindStatusCallback and IHttpNegotiate for one transfer. GetBindInfo asks for the newest version
// and keeps the answer out of the cache: a cached version description would hide a new release.
#include "platform/win32/BindStatusCallback.h"

#include <cwchar>

namespace pellmar::platform::win32 {

HRESULT BindStatusCallback::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
        *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
        *object = static_cast<IHttpNegotiate*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

namespace {

bool IsHttps(LPCWSTR url) { return url && _wcsnicmp(url, L"https://", 8) == 0; }

}  // namespace

// Returning E_ABORT is how a bind-status callback cancels the transfer it observes.
HRESULT BindStatusCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG status, LPCWSTR text) {
    if ((status == BINDSTATUS_REDIRECTING && httpsOnly_ && !IsHttps(text)) || progress > maxBytes_ ||
        (status == BINDSTATUS_BEGINDOWNLOADDATA && progressMax > maxBytes_)) {
        refused_ = true;
        return E_ABORT;
    }
    if (onProgress_) {
        try {
            onProgress_(progress, progressMax);
        } catch (...) {
            // An exception must not unwind through the system's COM frames; the transfer goes on.
        }
    }
    return S_OK;
}

HRESULT BindStatusCallback::GetBindInfo(DWORD* flags, BINDINFO*) {
    if (flags) *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
    return S_OK;
}

HRESULT BindStatusCallback::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) {
    if (additionalHeaders) *additionalHeaders = nullptr;
    return S_OK;
}

HRESULT BindStatusCallback::OnResponse(DWORD code, LPCWSTR, LPCWSTR, LPWSTR* additionalHeaders) {
    responseCode_ = code;
    if (additionalHeaders) *additionalHeaders = nullptr;
    return S_OK;
}

}  // namespace pellmar::platform::win32
