// The download progress observer handed to URLDownloadToFileW: IBindStatusCallback feeding
// OnProgress(progress, max), plus IHttpNegotiate so the HTTP status of the answer is known.
// Also the transfer's guard: it aborts a body larger than allowed and a redirect from https to
// anything else. One object per transfer, owned by its creator (the reference count never frees
// it). Used on the downloading thread only.
#pragma once

#include "platform/UrlDownload.h"

#include <windows.h>
#include <urlmon.h>

#include <cstdint>

namespace pellmar::platform::win32 {

class BindStatusCallback final : public IBindStatusCallback, public IHttpNegotiate {
public:
    BindStatusCallback(const DownloadProgress& onProgress, std::uint64_t maxBytes, bool httpsOnly)
        : onProgress_(onProgress), maxBytes_(maxBytes), httpsOnly_(httpsOnly) {}
    virtual ~BindStatusCallback() = default;

    // The HTTP status of the last answer, 0 when none was seen (not HTTP, or not reported).
    DWORD ResponseCode() const { return responseCode_; }
    // Whether the guard stopped the transfer (too large, or redirected off https).
    bool Refused() const { return refused_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) override;
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR, LPCWSTR, LPWSTR* additionalHeaders) override;

private:
    const DownloadProgress& onProgress_;
    std::uint64_t maxBytes_;
    bool httpsOnly_;
    bool refused_ = false;
    ULONG references_ = 0;
    DWORD responseCode_ = 0;
};

}  // namespace pellmar::platform::win32
