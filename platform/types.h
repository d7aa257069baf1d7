// The Windows data types the program uses, under their Windows names.
//
// On Windows they come from the system headers; elsewhere they are defined
// here with the same names and sizes, so the rest of the program is written
// once, against the Windows names.
#ifndef VANDRIX_PLATFORM_TYPES_H_
#define VANDRIX_PLATFORM_TYPES_H_

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#else  // POSIX

#include <cstdint>

typedef int BOOL;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef unsigned int UINT;
typedef std::int32_t HRESULT;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef const char* PCSTR;
typedef void* LPVOID;
typedef struct HWND__* HWND;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

#endif  // _WIN32

#endif  // VANDRIX_PLATFORM_TYPES_H_
