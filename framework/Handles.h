#pragma once
// Move-only owners of native handles: each is released exactly once.
#include <windows.h>

#include <utility>

template <class Handle, auto Release, Handle Null = Handle{}>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : FHandle(h) { }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.release()) { }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return FHandle; }
    explicit operator bool() const { return FHandle != Null; }
    Handle release() { return std::exchange(FHandle, Null); }
    void reset(Handle h = Null)
    {
        if (FHandle != Null) Release(FHandle);
        FHandle = h;
    }

private:
    Handle FHandle = Null;
};

inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void DeleteGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void DestroyIconHandle(HICON h) { DestroyIcon(h); }
inline void DestroyMenuHandle(HMENU h) { DestroyMenu(h); }
inline void FreeLibraryHandle(HMODULE h) { FreeLibrary(h); }
inline void CloseRegistryKey(HKEY key) { RegCloseKey(key); }

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenuHandle>;
using UniqueModule = UniqueHandle<HMODULE, FreeLibraryHandle>;
using UniqueRegistryKey = UniqueHandle<HKEY, CloseRegistryKey>;

// A screen device context, released on scope exit.
class ScreenDC {
public:
    ScreenDC() : FDc(GetDC(nullptr)) { }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    ~ScreenDC() { ReleaseDC(nullptr, FDc); }
    HDC get() const { return FDc; }

private:
    HDC FDc;
};
