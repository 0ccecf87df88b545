#include "forms/win32_picture.hpp"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <string>

#include "frame/win32_error.hpp"

namespace vorlune::forms {

namespace {

// The resource's bytes in a stream of their own; the stream frees them.
IStream* ResourceStream(int id, LONG& size) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    if (found == nullptr) {
        traceFailedCall("FindResourceA");
        return nullptr;
    }
    const DWORD length = SizeofResource(module, found);
    const HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || length == 0) {
        traceFailedCall("LoadResource");
        return nullptr;
    }
    const HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, length);
    if (copy == nullptr) {
        traceFailedCall("GlobalAlloc");
        return nullptr;
    }
    std::memcpy(GlobalLock(copy), bytes, length);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        traceFailedCall("CreateStreamOnHGlobal");
        GlobalFree(copy);
        return nullptr;
    }
    size = static_cast<LONG>(length);
    return stream;
}

// The pictures are decoded by COM objects: the thread joins COM once, for
// the rest of the program.
void JoinCom() {
    static bool joined = false;
    if (joined) return;
    joined = true;
    const HRESULT result = CoInitialize(nullptr);
    if (FAILED(result)) {
        SetLastError(static_cast<DWORD>(result));
        traceFailedCall("CoInitialize");
    }
}

}  // namespace

HBITMAP LoadResourcePicture(int id) {
    JoinCom();
    LONG size = 0;
    IStream* stream = ResourceStream(id, size);
    if (stream == nullptr) return nullptr;
    IPicture* picture = nullptr;
    const HRESULT loaded =
        OleLoadPicture(stream, size, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(loaded) || picture == nullptr) {
        SetLastError(static_cast<DWORD>(loaded));
        traceFailedCall("OleLoadPicture");
        return nullptr;
    }
    OLE_HANDLE handle = 0;
    HBITMAP bitmap = nullptr;
    if (SUCCEEDED(picture->get_Handle(&handle))) {
        // Our own copy, so that the picture object can go now.
        bitmap = static_cast<HBITMAP>(CopyImage(
            reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
        if (bitmap == nullptr) traceFailedCall("CopyImage");
    }
    picture->Release();
    return bitmap;
}

HBITMAP LoadResourceBitmap(int id) {
    const auto bitmap = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr)
        traceFailedCall(("LoadImageA (bitmap " + std::to_string(id) + ")").c_str());
    return bitmap;
}

}  // namespace vorlune::forms
