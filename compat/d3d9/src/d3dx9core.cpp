// D3DX 9 core: ID3DXBuffer, a reference-counted block of bytes.
#include "d3dx9core.h"

#include <atomic>
#include <new>
#include <vector>

namespace {

class Buffer final : public ID3DXBuffer {
public:
    explicit Buffer(DWORD size) : mBytes(size) {}

    HRESULT WINAPI QueryInterface(REFIID, void** ppvObj) override {
        // The layer defines no interface identifiers; only the object itself is on offer.
        if (!ppvObj)
            return E_POINTER;
        *ppvObj = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ++mRefs; }
    ULONG WINAPI Release() override {
        const ULONG left = --mRefs;
        if (left == 0)
            delete this;
        return left;
    }
    LPVOID WINAPI GetBufferPointer() override { return mBytes.empty() ? nullptr : mBytes.data(); }
    DWORD WINAPI GetBufferSize() override { return static_cast<DWORD>(mBytes.size()); }

private:
    std::atomic<ULONG> mRefs{1};
    std::vector<unsigned char> mBytes;
};

} // namespace

HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer) {
    if (!ppBuffer)
        return D3DERR_INVALIDCALL;
    *ppBuffer = new (std::nothrow) Buffer(NumBytes);
    return *ppBuffer ? D3D_OK : E_OUTOFMEMORY;
}
