/* vxrun: starts one program with an exact raw command line and prints its
 * full 32-bit exit code.
 *
 *   vxrun.exe <raw command line>
 *   vxrun.exe @FILE      the file's bytes are the raw command line
 *   vxrun.exe -w @FILE   the file's bytes are the command line in UTF-8,
 *                        started as UTF-16 (CreateProcessW), as a command
 *                        prompt or Explorer starts a program
 *
 * The raw command line is vxrun's own (GetCommandLineA) less its program
 * name and the single space after it, handed to CreateProcessA unchanged.
 * Wine re-quotes the arguments of `wine prog args`, so tests pass the line
 * in a file. Prints "exit=0x%08lX"; exits 0 when the child ran, 2 when it
 * could not be started or waited for. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Fail(const char* what) {
  fprintf(stderr, "vxrun: %s failed, error %lu\n", what,
          (unsigned long)GetLastError());
  return 2;
}

/* Past the program name (quoted or not) and one space after it. */
static const char* OwnTail(const char* raw) {
  const char* p = raw;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  if (*p == ' ' || *p == '\t') ++p;
  return p;
}

/* A writable copy of the text; NULL when out of memory (reported). */
static char* Copy(const char* text) {
  size_t size = strlen(text) + 1;
  char* copy = (char*)malloc(size);
  if (copy)
    memcpy(copy, text, size);
  else
    fprintf(stderr, "vxrun: out of memory\n");
  return copy;
}

/* The whole file as a zero-terminated string; NULL on failure (reported). */
static char* ReadWholeFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) {
    Fail("CreateFileA");
    return NULL;
  }
  LARGE_INTEGER size;
  char* text = NULL;
  DWORD got = 0;
  if (!GetFileSizeEx(file, &size)) {
    Fail("GetFileSizeEx");
  } else if (size.QuadPart > 65536) {
    fprintf(stderr, "vxrun: %s is too long for a command line\n", path);
  } else if ((text = (char*)malloc((size_t)size.QuadPart + 1)) == NULL) {
    fprintf(stderr, "vxrun: out of memory\n");
  } else if (!ReadFile(file, text, (DWORD)size.QuadPart, &got, NULL) ||
             got != (DWORD)size.QuadPart) {
    Fail("ReadFile");
    free(text);
    text = NULL;
  } else {
    text[got] = '\0';
  }
  if (!CloseHandle(file)) Fail("CloseHandle");
  return text;
}

/* The UTF-8 text as UTF-16; NULL when it is no valid UTF-8 or memory runs
 * out (reported). */
static wchar_t* Utf16(const char* text) {
  int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, NULL, 0);
  wchar_t* wide = count > 0 ? (wchar_t*)malloc((size_t)count * sizeof *wide) : NULL;
  if (count == 0) {
    Fail("MultiByteToWideChar");
  } else if (wide == NULL) {
    fprintf(stderr, "vxrun: out of memory\n");
  } else if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, count) != count) {
    Fail("MultiByteToWideChar");
    free(wide);
    wide = NULL;
  }
  return wide;
}

/* Starts the line as it is; fills `child`. Returns 0, or 2 (reported). */
static int StartAnsi(char* line, PROCESS_INFORMATION* child) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, child))
    return Fail("CreateProcessA");
  return 0;
}

/* Starts the line, read as UTF-8, with a UTF-16 command line; fills
 * `child`. Returns 0, or 2 (reported). */
static int StartWide(const char* line, PROCESS_INFORMATION* child) {
  STARTUPINFOW startup;
  wchar_t* wide = Utf16(line);
  if (wide == NULL) return 2;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  int result = CreateProcessW(NULL, wide, NULL, NULL, FALSE, 0, NULL, NULL, &startup, child)
                   ? 0
                   : Fail("CreateProcessW");
  free(wide);
  return result;
}

/* Starts the line, waits, prints the exit code. */
static int RunAndReport(char* line, int wide) {
  PROCESS_INFORMATION child;
  DWORD code = 0;
  int result = wide ? StartWide(line, &child) : StartAnsi(line, &child);
  if (result != 0) return result;
  if (WaitForSingleObject(child.hProcess, INFINITE) != WAIT_OBJECT_0)
    result = Fail("WaitForSingleObject");
  else if (!GetExitCodeProcess(child.hProcess, &code))
    result = Fail("GetExitCodeProcess");
  else
    printf("exit=0x%08lX\n", (unsigned long)code);
  if (!CloseHandle(child.hThread)) result = Fail("CloseHandle");
  if (!CloseHandle(child.hProcess)) result = Fail("CloseHandle");
  if (fflush(stdout) != 0) result = 2;
  return result;
}

int main(void) {
  const char* tail = OwnTail(GetCommandLineA());
  int wide = strncmp(tail, "-w @", 4) == 0;
  if (wide) tail += 3;
  char* line = tail[0] == '@' ? ReadWholeFile(tail + 1) : Copy(tail);
  if (line == NULL) return 2;
  int result = RunAndReport(line, wide);
  free(line);
  return result;
}
