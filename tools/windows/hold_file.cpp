// Holds a file open the way a spreadsheet does (reading and writing, others may only read)
// for some milliseconds, for the Windows check. Usage: hold_file FILE MILLISECONDS READY
// (READY is created once the file is held).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  HANDLE held = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(ready);
  Sleep(static_cast<DWORD>(std::atoi(argv[2])));
  CloseHandle(held);
  return 0;
}
