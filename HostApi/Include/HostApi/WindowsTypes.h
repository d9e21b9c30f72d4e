// The Windows types and functions that the public headers name, declared without <windows.h>, so
// that a caller gets none of its macros (ERROR, DeleteFile, GetObject, min, max, ...) and none of
// its compile time. Each declaration names exactly the type <windows.h> names (the same typedef,
// the same structure tag, the same function), so the exported names stay what they are and
// <windows.h> may come before or after this header. Structures are only declared here; a caller
// that reads their fields includes <windows.h> itself. Types that an object holds by value are
// not declared this way: their header defines a structure of its own with the same layout, which
// the library checks against the real one.
#pragma once

extern "C" {

typedef unsigned long DWORD;
typedef void* HANDLE;
typedef HANDLE HLOCAL;
typedef void* HINTERNET;
#if defined(_WIN64)
typedef unsigned long long ULONG_PTR;
typedef long long (__stdcall* FARPROC)();
#else
typedef unsigned long ULONG_PTR;
typedef int (__stdcall* FARPROC)();
#endif

struct HKEY__;
typedef HKEY__* HKEY;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct SC_HANDLE__;
typedef SC_HANDLE__* SC_HANDLE;

struct _FILETIME;
typedef _FILETIME FILETIME;
struct _SYSTEMTIME;
typedef _SYSTEMTIME SYSTEMTIME;
struct _OVERLAPPED;
typedef _OVERLAPPED OVERLAPPED;
struct _SECURITY_ATTRIBUTES;
typedef _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;
struct _WIN32_FIND_DATAW;
typedef _WIN32_FIND_DATAW WIN32_FIND_DATAW;
struct tagVS_FIXEDFILEINFO;
typedef tagVS_FIXEDFILEINFO VS_FIXEDFILEINFO;
struct _SYSTEM_INFO;
typedef _SYSTEM_INFO SYSTEM_INFO;
struct _MEMORY_BASIC_INFORMATION;
typedef _MEMORY_BASIC_INFORMATION MEMORY_BASIC_INFORMATION;
struct _SHELLEXECUTEINFOW;
typedef _SHELLEXECUTEINFOW SHELLEXECUTEINFOW;

// The functions that close handles, named by the owner templates as template arguments. The
// declarations match the SDK's: imported, stdcall, the same parameter and result types.
__declspec(dllimport) int __stdcall CloseHandle(HANDLE object);
__declspec(dllimport) int __stdcall FindClose(HANDLE search);
__declspec(dllimport) int __stdcall FreeLibrary(HMODULE module);
__declspec(dllimport) HLOCAL __stdcall LocalFree(HLOCAL memory);
__declspec(dllimport) long __stdcall RegCloseKey(HKEY key);
__declspec(dllimport) int __stdcall CloseServiceHandle(SC_HANDLE service);
// winhttp.h declares it without dllimport.
int __stdcall WinHttpCloseHandle(HINTERNET handle);

} // extern "C"
